#pragma once

#include "command/image_request.h"
#include "output/flash_image_state.h"

namespace orv {

struct LinkContext;

// The lowest and highest address at which the image holds a byte; the end
// lies below the start when it holds none.
AddressRange held_span(const FlashImage& image);

// Completes the image that pass 2 wrote, when an image option asks for one:
// reports a checksum that lies over contents (a listed finding), fills the
// gaps of the fill range, then computes every checksum in the order given
// and stores its value low byte first (high byte first with ":be").
void complete_flash_image(LinkContext& ctx);

// Writes what the finish added to the image into the HEX file, before its
// end record: the fill as data records of up to 16 bytes, then each
// checksum as a record of its own.
void write_image_records(LinkContext& ctx);

}  // namespace orv

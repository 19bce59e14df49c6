#pragma once

namespace orv {

struct LinkContext;

// Writes the raw image of the --binary range (by default from the lowest to
// the highest byte the image holds); gaps outside the fill read as erased
// flash, 0xFF.
void write_binary_image(LinkContext& ctx);

// Writes the bytes the image holds as Motorola S-records: an S0 header, data
// records of up to 16 bytes that do not cross a 16-byte boundary, in address
// order, and the end record. S1 records and an S9 end when every address fits
// 16 bits, else S2 records and an S8 end throughout.
void write_srec_file(LinkContext& ctx);

}  // namespace orv

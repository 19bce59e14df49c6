#pragma once
#include <cstdint>

#include "format/image_cursor.h"

namespace orv {

struct LinkContext;

// Reads one module's debug records from `stream` (its first tag already in
// next_tag) up to its end tag and writes the module's local part of the
// symbol file.
void write_local_symbols(LinkContext& ctx, ImageCursor& stream, int32_t last_unit);

}  // namespace orv

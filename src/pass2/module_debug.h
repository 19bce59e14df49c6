#pragma once
#include <cstdint>

#include "format/image_cursor.h"

namespace orv {

struct LinkContext;

// What pass 2 does with a module's debug records once its contents are
// written: the symbol file's local part with -S, and the module's functions
// and source lines when the tables are wanted (debug_tables.h). `file` and
// `member` name the module in a fault that leaves its functions out.
void read_module_debug(LinkContext& ctx, ImageCursor& stream, int32_t last_unit, const char* file,
                       const char* member);

}  // namespace orv

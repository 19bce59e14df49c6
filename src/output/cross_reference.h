#pragma once
#include "platform/text_output.h"

namespace orv {

struct LinkContext;

// The cross-reference table: every global name in byte order, its definer,
// then every other module that refers to it. Written into the map file, or
// to standard output when `map` is null.
void write_cross_reference(LinkContext& ctx, TextOutput* map);

}  // namespace orv

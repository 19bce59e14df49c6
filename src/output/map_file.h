#pragma once

namespace orv {

struct LinkContext;

// Writes the map file up to its totals: header, section listing and, with
// -MS, the global labels, symbols and bit symbols.
void write_map(LinkContext& ctx);

}  // namespace orv

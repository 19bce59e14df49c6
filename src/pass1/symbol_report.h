#pragma once

namespace orv {

struct LinkContext;

// Prints error 9 for every unresolved name and error 10 for every multiply
// defined one, in ascending name order, on standard output (no bell).
void report_symbol_errors(LinkContext& ctx);

}  // namespace orv

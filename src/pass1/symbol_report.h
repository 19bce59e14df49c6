#pragma once

namespace orv {

struct LinkContext;

// Prints error 9 for every unresolved name and error 10 for every multiply
// defined one, in ascending name order, on standard output (no bell).
void report_symbol_errors(LinkContext& ctx);

// Ends pass 1 as failed: the report above, then exit status 1 without a
// further message or bell.
[[noreturn]] void fail_with_symbol_errors(LinkContext& ctx);

}  // namespace orv

#pragma once

namespace orv {

struct LinkContext;

// Prints the totals, completes and closes every output file, and ends the
// run with status 1 when a finding set link_failed.
void finish(LinkContext& ctx);

}  // namespace orv

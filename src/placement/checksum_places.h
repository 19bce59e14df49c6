#pragma once

namespace orv {

struct LinkContext;

// Gives every checksum placed at a global label that label's address, now
// that the labels hold addresses, and checks the rules that only these
// addresses can break (listed findings). A name that is no global label is
// error 37, before the output files are created.
void place_checksums(LinkContext& ctx);

}  // namespace orv

#pragma once

namespace orv {

struct LinkContext;

// Turns the --region declarations into the region table once the options are
// complete (-BANK raises the address limit). A malformed declaration, START
// above END, an address above the limit, a name given twice and two regions
// that share addresses are error 33 naming the declaration.
void check_regions(LinkContext& ctx);

}  // namespace orv

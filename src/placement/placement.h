#pragma once

namespace orv {

struct LinkContext;

// Places every section and unit, checks overlaps and limits, numbers the
// sections, builds the unit table, turns label values into addresses and
// creates the output files.
void allocate_sections(LinkContext& ctx);

}  // namespace orv

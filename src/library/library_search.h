#pragma once

namespace orv {

struct LinkContext;

// The library search cycles: reads the command-line and requested libraries
// again and again until no name is unresolved or a cycle takes nothing in.
// Ends the run (with the unresolved report) when names stay unresolved.
void read_libraries(LinkContext& ctx);

}  // namespace orv

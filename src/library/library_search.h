#pragma once

namespace orv {

struct LinkContext;

// The library search cycles: reads the command-line and requested libraries
// again and again until no name is unresolved or a cycle takes nothing in.
// Returns with names still unresolved when a cycle took nothing in; ends the
// run when nothing is unresolved but a name is defined twice.
void read_libraries(LinkContext& ctx);

}  // namespace orv

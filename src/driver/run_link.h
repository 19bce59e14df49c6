#pragma once
#include <string>
#include <vector>

namespace orv {

struct LinkContext;

// Runs one link with the program's arguments (without the program name) and
// returns the process exit status. Fatal errors end here, and so does a
// console stream that could not be written.
int run_link(LinkContext& ctx, const std::vector<std::string>& args);

// The same with main's own arguments, which are copied inside the handler
// that reports running out of memory.
int run_link(LinkContext& ctx, int argc, char** argv);

}  // namespace orv

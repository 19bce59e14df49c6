#pragma once
#include <string>
#include <vector>

namespace orv {

struct LinkContext;

// Runs one link with the program's arguments (without the program name) and
// returns the process exit status. Fatal errors end here.
int run_link(LinkContext& ctx, const std::vector<std::string>& args);

}  // namespace orv

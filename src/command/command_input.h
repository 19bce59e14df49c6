#pragma once
#include <string>
#include <vector>

#include "command/command_state.h"

namespace orv {

struct LinkContext;

// Acquires the four command fields (arguments, @ command file or prompts),
// prints the banner, and parses options, file lists, section information and
// the output names. `args` are the program's arguments without its name.
void get_command(LinkContext& ctx, const std::vector<std::string>& args);

}  // namespace orv

#pragma once
#include <optional>
#include <string>
#include <vector>

namespace orv {

// The program's arguments without its name, in UTF-8. On Windows they are
// taken from the command line in UTF-16, so that a name with letters beyond
// the code page's reaches the linker whole; elsewhere they are `argv` as given.
std::vector<std::string> program_arguments(int argc, char** argv);

// The value of an environment variable in UTF-8, or nothing when it is unset.
std::optional<std::string> environment_variable(const char* name);

}  // namespace orv

#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace orvaddr {

// The orvaddr program: options, input and exit status. `in` gives the
// addresses, or the text to scan, when the command line gives none.
int run_orvaddr(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace orvaddr

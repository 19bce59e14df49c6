#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace orvsize {

// The orvsize program: options, inputs and exit status.
int run_orvsize(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace orvsize

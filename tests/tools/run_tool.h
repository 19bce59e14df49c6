#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/run_linker.h"

namespace orv::test {

// Runs `program` (a path, or a name looked up in PATH) with `args` in `dir`,
// with LIBOV and SOURCE_DATE_EPOCH unset unless `env` sets them, standard
// input empty, and returns its status and output.
RunResult run_tool(const std::string& program, const std::vector<std::string>& args,
                   const std::filesystem::path& dir, const std::map<std::string, std::string>& env = {});

}  // namespace orv::test

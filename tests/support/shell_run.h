#pragma once
#include <string>
#include <vector>

#include "support/run_linker.h"

namespace orv::test {

// Runs orvlink through /bin/sh as run_orvlink does, with `line` as the shell
// command in which "$0" is the linker and "$@" its arguments: the line sets
// up the console and limits a build system may leave it, as in
// `exec "$0" "$@" 2>&-` or `ulimit -v 6000 && exec "$0" "$@"`.
inline RunResult run_orvlink_shell(const std::filesystem::path& dir, const std::string& line,
                                   const std::vector<std::string>& args, const std::string& input = "",
                                   const std::map<std::string, std::string>& env = {}) {
    std::vector<std::string> shell_args = {"-c", line, ORVLINK_PATH};
    shell_args.insert(shell_args.end(), args.begin(), args.end());
    return run_program("/bin/sh", dir, shell_args, input, env);
}

}  // namespace orv::test

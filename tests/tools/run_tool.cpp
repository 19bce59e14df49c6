#include "tools/run_tool.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace orv::test {

RunResult run_tool(const std::string& program, const std::vector<std::string>& args,
                   const std::filesystem::path& dir, const std::map<std::string, std::string>& env) {
    TempDir capture;
    std::string out_name = (capture / "out").string();
    std::string err_name = (capture / "err").string();
    pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        int in_fd = ::open("/dev/null", O_RDONLY);
        int out_fd = ::open(out_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err_fd = ::open(err_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in_fd, 0);
        ::dup2(out_fd, 1);
        ::dup2(err_fd, 2);
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        ::unsetenv("LIBOV");
        ::unsetenv("SOURCE_DATE_EPOCH");
        for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<std::string> copies = args;
        std::string name = program;
        std::vector<char*> argv{name.data()};
        for (std::string& arg : copies) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execvp(name.c_str(), argv.data());
        ::_exit(127);
    }
    int wait_status = 0;
    ::waitpid(child, &wait_status, 0);
    RunResult result;
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
    result.out = read_file(out_name);
    result.err = read_file(err_name);
    return result;
}

}  // namespace orv::test

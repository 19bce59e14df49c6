#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

#include "support/run_linker.h"

// How a test starts a program and makes a scratch directory on a POSIX host.
namespace orv::test {

RunResult run_program(const std::string& program, const std::filesystem::path& dir,
                      const std::vector<std::string>& args, const std::string& input,
                      const std::map<std::string, std::string>& env) {
    std::filesystem::path base = std::filesystem::temp_directory_path() /
                                 ("orvrun-" + std::to_string(::getpid()) + "-" +
                                  std::to_string(std::random_device{}()));
    std::string in_name = base.string() + ".in";
    std::string out_name = base.string() + ".out";
    std::string err_name = base.string() + ".err";
    {
        std::ofstream in(in_name, std::ios::binary);
        in << input;
    }
    pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        int in_fd = ::open(in_name.c_str(), O_RDONLY);
        int out_fd = ::open(out_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err_fd = ::open(err_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in_fd, 0);
        ::dup2(out_fd, 1);
        ::dup2(err_fd, 2);
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        ::unsetenv("LIBOV");
        ::unsetenv("SOURCE_DATE_EPOCH");
        for (const auto& [name, value] : env) {
            if (value.empty()) {
                ::unsetenv(name.c_str());
            } else {
                ::setenv(name.c_str(), value.c_str(), 1);
            }
        }
        std::string name = program;
        std::vector<char*> argv{name.data()};
        std::vector<std::string> copies = args;
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
    std::filesystem::remove(in_name);
    std::filesystem::remove(out_name);
    std::filesystem::remove(err_name);
    return result;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvtest-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string build_host_path(const std::filesystem::path& path) { return path.string(); }

std::string program_launcher() { return ""; }

void set_environment(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

void unset_environment(const std::string& name) { ::unsetenv(name.c_str()); }

bool limit_address_space(std::size_t bytes) {
    rlimit limit{bytes, bytes};
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

}  // namespace orv::test

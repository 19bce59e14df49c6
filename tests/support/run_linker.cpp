#include "support/run_linker.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "fixture/object_writer.h"

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

RunResult run_orvlink(const std::filesystem::path& dir, const std::vector<std::string>& args,
                      const std::string& input, const std::map<std::string, std::string>& env) {
    return run_program(ORVLINK_PATH, dir, args, input, env);
}

std::string read_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
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

void TempDir::write(const std::string& name, const std::string& bytes) const {
    // Every relocatable object a test writes is shown to the object observer.
    if (name.size() >= 4 && std::equal(name.end() - 4, name.end(), ".rov", [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == b;
        })) {
        orvfixture::observe_object(orvfixture::Bytes(bytes.begin(), bytes.end()));
    }
    std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

void TempDir::write(const std::string& name, const std::vector<unsigned char>& bytes) const {
    write(name, std::string(bytes.begin(), bytes.end()));
}

std::string TempDir::read(const std::string& name) const { return read_file(path_ / name); }

bool TempDir::exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

}  // namespace orv::test

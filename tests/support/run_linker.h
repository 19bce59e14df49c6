#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace orv::test {

// What one run of the real orvlink binary printed and returned.
struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `program` (a path, or a name looked up in PATH) in `dir` with the
// given arguments, the text `input` on standard input, LIBOV and
// SOURCE_DATE_EPOCH unset, and extra environment variables (an empty value
// unsets the variable).
RunResult run_program(const std::string& program, const std::filesystem::path& dir,
                      const std::vector<std::string>& args, const std::string& input = "",
                      const std::map<std::string, std::string>& env = {});

// Runs the orvlink binary in `dir` with the given arguments, the text `input`
// on standard input, and extra environment variables (an empty value unsets
// the variable).
RunResult run_orvlink(const std::filesystem::path& dir, const std::vector<std::string>& args,
                      const std::string& input = "",
                      const std::map<std::string, std::string>& env = {});

// A fresh, empty directory that is removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    void write(const std::string& name, const std::string& bytes) const;
    void write(const std::string& name, const std::vector<unsigned char>& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Sets or removes a variable of this process's environment. Windows keeps
// no empty variables: an empty value removes the variable there.
void set_environment(const std::string& name, const std::string& value);
void unset_environment(const std::string& name);

// Limits the address space of this process to `bytes`, as `ulimit -v` does;
// false where the host has no such limit (Windows).
bool limit_address_space(std::size_t bytes);

// The path by which a program of the build host (objcopy) finds the file:
// the path itself, except under Wine, where it is the Unix path Wine maps
// the Windows one to.
std::string build_host_path(const std::filesystem::path& path);

// What a build host program (a shell script) starts this build's programs
// through: "wine" under Wine, nothing elsewhere.
std::string program_launcher();

// Reads a whole file as bytes.
std::string read_file(const std::filesystem::path& file);

}  // namespace orv::test

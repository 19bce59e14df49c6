#include "platform/staged_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace orv {
namespace {

std::string directory_of(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The mode the file would have got from fopen: that of the file it replaces,
// or read and write for all as the umask allows.
mode_t mode_for(const std::string& final_path) {
    struct stat info;
    if (::stat(final_path.c_str(), &info) == 0) return info.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::FILE* open_temporary(const std::string& final_path, std::string& temp_path) {
    std::string base = final_path.substr(directory_of(final_path).size());
    std::string pattern = directory_of(final_path) + "." + base + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return nullptr;
    temp_path = name.data();
    std::FILE* file = ::fchmod(fd, mode_for(final_path)) == 0 ? ::fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        ::close(fd);
        ::unlink(temp_path.c_str());
    }
    return file;
}

}  // namespace

std::FILE* open_staged_file(const std::string& final_path, std::string& written_path, std::string& place_path) {
    place_path = final_path;
    struct stat info;
    if (::stat(final_path.c_str(), &info) == 0) {
        // What fopen would refuse stays refused, although a rename could
        // replace it.
        if (S_ISDIR(info.st_mode) || ::access(final_path.c_str(), W_OK) != 0) return nullptr;
        // A device or pipe is written as it is: a rename would replace it.
        if (!S_ISREG(info.st_mode)) {
            written_path = final_path;
            return std::fopen(final_path.c_str(), "wb");
        }
        // A symbolic link keeps pointing at the file, which is replaced.
        if (::lstat(final_path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
            std::unique_ptr<char, decltype(&std::free)> target(::realpath(final_path.c_str(), nullptr), &std::free);
            if (target != nullptr) place_path = target.get();
        }
    }
    if (std::FILE* file = open_temporary(place_path, written_path)) return file;
    written_path = place_path;
    return std::fopen(place_path.c_str(), "wb");
}

bool move_into_place(const std::string& written_path, const std::string& place_path) {
    return std::rename(written_path.c_str(), place_path.c_str()) == 0;
}

void remove_written_file(const std::string& path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(path.c_str());
}

}  // namespace orv

#include "platform/host_files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/whole_file_read.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace orv {
namespace {

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// The entry of `dir` whose name equals `component` ignoring letter case, or
// the component itself when there is none. When several entries differ only
// in case, the byte-wise smallest is taken, so the choice does not depend on
// the order in which the directory lists them.
std::string match_in_directory(const std::string& dir, const std::string& component) {
    DIR* handle = ::opendir(dir.empty() ? "." : dir.c_str());
    if (handle == nullptr) return component;
    std::string found;
    while (dirent* entry = ::readdir(handle)) {
        if (::strcasecmp(entry->d_name, component.c_str()) != 0) continue;
        if (found.empty() || std::string_view(entry->d_name) < found) found = entry->d_name;
    }
    ::closedir(handle);
    return found.empty() ? component : found;
}

// Strings here are built by appending: GCC 12 at -O3 takes `a + "/" + b` and
// the assignment of a literal for overlapping copies (a false -Wrestrict).
std::string join(const std::string& dir, const std::string& component) {
    if (dir.empty()) return component;
    std::string path;
    path.reserve(dir.size() + 1 + component.size());
    path.append(dir);
    if (dir.back() != '/') path.push_back('/');
    path.append(component);
    return path;
}

// Splits a linker name into its leading root ("/" or "") and its components.
std::vector<std::string> components_of(std::string_view name, std::string& root) {
    std::vector<std::string> parts;
    root.clear();
    if (!name.empty() && is_dir_separator(name.front())) root.push_back('/');
    std::string current;
    for (char c : name) {
        if (is_dir_separator(c)) {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

}  // namespace

std::string host_path(std::string_view linker_name) {
    std::string path;
    std::vector<std::string> parts = components_of(linker_name, path);
    for (const std::string& part : parts) {
        std::string exact = join(path, part);
        if (part == "." || part == ".." || part.empty() || exists(exact)) {
            path = exact;
        } else {
            path = join(path, match_in_directory(path, part));
        }
    }
    return path;
}

std::FILE* open_host_file(std::string_view linker_name, const char* mode) {
    std::FILE* file = std::fopen(host_path(linker_name).c_str(), mode);
    if (file == nullptr) return nullptr;
    // A directory opens for reading on this host but holds no data: it is
    // refused, as a file that is not there.
    struct stat info;
    if (::fstat(::fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

bool read_host_image(std::string_view linker_name, std::unique_ptr<char[]>& bytes, std::size_t& size) {
    const std::string path = host_path(linker_name);
    // Looked at before opening, so that no device is opened at all; then
    // again on the descriptor, in case the name changed in between. Opening
    // without waiting keeps a named pipe from blocking until a writer comes.
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    const bool ok = read_to_end(std::size_t(info.st_size > 0 ? info.st_size : 0),
                                [fd](char* into, std::size_t count) -> long long {
                                    for (;;) {
                                        ssize_t n = ::read(fd, into, count);
                                        if (n >= 0 || errno != EINTR) return n;
                                    }
                                },
                                bytes, size);
    ::close(fd);
    return ok;
}

bool names_non_regular_file(std::string_view linker_name) {
    struct stat info;
    return ::stat(host_path(linker_name).c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

bool host_file_identity(const std::string& path, FileIdentity& identity) {
    struct stat info;
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return false;
        identity = {static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino), {}};
        return true;
    }
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    if (::stat(dir.c_str(), &info) != 0) return false;
    identity = {static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino),
                slash == std::string::npos ? path : path.substr(slash + 1)};
    return true;
}

}  // namespace orv

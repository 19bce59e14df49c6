#include "platform/host_files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>

namespace orv {
namespace {

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// The entry of `dir` whose name equals `component` ignoring letter case, or
// the component itself when there is none.
std::string match_in_directory(const std::string& dir, const std::string& component) {
    DIR* handle = ::opendir(dir.empty() ? "." : dir.c_str());
    if (handle == nullptr) return component;
    std::string found = component;
    while (dirent* entry = ::readdir(handle)) {
        if (::strcasecmp(entry->d_name, component.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(handle);
    return found;
}

std::string join(const std::string& dir, const std::string& component) {
    if (dir.empty()) return component;
    if (dir.back() == '/') return dir + component;
    return dir + "/" + component;
}

// Splits a linker name into its leading root ("/" or "") and its components.
std::vector<std::string> components_of(std::string_view name, std::string& root) {
    std::vector<std::string> parts;
    root = (!name.empty() && is_dir_separator(name.front())) ? "/" : "";
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

}  // namespace orv

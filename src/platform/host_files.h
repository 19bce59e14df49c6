#pragma once
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace orv {

// The linker builds DOS-style names: upper case, backslash or slash as
// directory separator, a drive letter before a colon. A POSIX file system is
// case-sensitive with slashes, so there a name is mapped to a host path before
// it is opened; Windows takes the name as it is. Names are UTF-8 on both
// hosts: the Windows side opens them by their UTF-16 form.

// Host path for a name the linker built. On POSIX, each component that does
// not exist as spelled is matched case-insensitively within its directory, so
// that MAIN.ROV opens main.rov and creating OUT.HEX replaces an existing
// out.hex instead of adding a second file; a component that matches nothing
// keeps its spelling (a file about to be created, or one that is missing).
// On Windows the name itself.
std::string host_path(std::string_view linker_name);

// Opens the file named by the linker through `host_path` with an fopen mode
// (binary modes: line ends are the callers' business). Null when it cannot be
// opened or is a directory.
std::FILE* open_host_file(std::string_view linker_name, const char* mode);

// Creates (or truncates) the output file named by the linker, for writing
// in binary; null when it cannot be created. Every output of a link is
// created through an OutputCreator, this one unless a test or fuzzer keeps
// the outputs off the disk.
std::FILE* create_host_file(std::string_view linker_name);
using OutputCreator = std::function<std::FILE*(std::string_view linker_name)>;

// Reads the whole input file named by the linker (through `host_path`) into
// `bytes`: the one place where the link opens an input file. False when it
// cannot be opened or read, or is not a regular file: a directory, a named
// pipe or a device is refused at once, so that a pipe with no writer cannot
// hold the link up.
bool read_host_file(std::string_view linker_name, std::string& bytes);

// The same into a buffer taken from the heap as it is, without clearing it
// first: `size` bytes at `bytes`. This is how the link reads its inputs.
bool read_host_image(std::string_view linker_name, std::unique_ptr<char[]>& bytes, std::size_t& size);

// True when the name leads to something other than a regular file (a
// directory, a named pipe, a device), which an output must never replace or
// write into. A name that leads nowhere yet is free for a new file.
bool names_non_regular_file(std::string_view linker_name);

// What makes two host paths one file: an existing file is its device and
// node (so that another spelling, a link or another letter case on a
// case-insensitive disk all meet); a file yet to be made is its directory's
// device and node and its own name in it. A device (such as /dev/null) may
// take any number of outputs and has no identity.
struct FileIdentity {
    unsigned long long device = 0;
    unsigned long long node = 0;
    std::string entry;  // empty for an existing file
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path`; false for a device, or a path whose
// directory does not exist (no file can be made there, so it meets none).
bool host_file_identity(const std::string& path, FileIdentity& identity);

// True for the characters that separate directories in a linker name.
inline bool is_dir_separator(char c) { return c == '\\' || c == '/'; }

}  // namespace orv

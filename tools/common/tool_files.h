#pragma once
#include <string>
#include <vector>

// Files as the tools read and write them, by the linker's rules.
namespace orvtool {

// Reads a whole regular file; false when it cannot be read, or is a
// directory, a named pipe or a device (which could block, or never end).
bool read_input(const std::string& path, std::string& bytes);

// Writes `bytes` to `path` under a temporary name beside it, renamed into
// place once all of it is written, so that a failure (a full disk) leaves
// what was there before. A device is written in place. False on any
// failure, with no temporary left.
bool write_output(const std::string& path, const void* bytes, std::size_t size);

// True when `a` and `b` lead to one existing file.
bool same_file(const std::string& a, const std::string& b);

// True when something exists at `path`.
bool file_exists(const std::string& path);

}  // namespace orvtool

#pragma once
#include <cstdio>
#include <string>

namespace orv {

// An output file is written under a temporary name in its own directory and
// renamed to its final name when the run ends, so that a reader of the final
// name sees a whole earlier file or a whole new one, never a mix of two runs.

// Opens a new file for writing in binary. `place_path` receives the path the
// file is renamed to at the end: `final_path`, or the file a symbolic link
// there points at. `written_path` receives the path the data goes to: a
// temporary beside `place_path`, or `place_path` itself when no temporary
// can be made there (a directory that admits no new entry, a name too long
// for one) or when `final_path` names a device or a pipe. Null when the file
// cannot be written: `final_path` names a directory or a file this process
// may not write, or it cannot be opened.
std::FILE* open_staged_file(const std::string& final_path, std::string& written_path, std::string& place_path);

// Renames the staged file at `written_path` to `place_path`, replacing the
// file there; false when it cannot.
bool move_into_place(const std::string& written_path, const std::string& place_path);

// Removes a file that a run wrote, if it is a regular file: a device or a
// pipe written in place stays.
void remove_written_file(const std::string& path);

}  // namespace orv

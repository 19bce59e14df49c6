#pragma once
#include <cstdio>
#include <string>

namespace orv {

// An output file is written under a temporary name in its own directory and
// renamed to its final name when the run ends, so that a reader of the final
// name sees a whole earlier file or a whole new one, never a mix of two runs.

// Opens a new file for writing in binary. `written_path` receives the path
// the data goes to: a temporary beside `final_path`, or `final_path` itself
// when no temporary can be made there (a directory that admits no new
// entry, a name too long for one). Null when the file cannot be written:
// `final_path` names a directory or a file this process may not write, or
// neither path can be opened.
std::FILE* open_staged_file(const std::string& final_path, std::string& written_path);

}  // namespace orv

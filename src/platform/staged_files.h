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
// for one) or when `final_path` names a device or a named pipe, which are
// written in place. A named pipe is opened without waiting: one that no
// process reads is refused at once. Null when the file cannot be written:
// `final_path` names a directory or a file this process may not write, or it
// cannot be opened.
std::FILE* open_staged_file(const std::string& final_path, std::string& written_path, std::string& place_path);

// Renames a staged file to its place; false when the rename failed, and the
// temporary is then removed. Nothing to do for a file written in place.
bool place_staged_file(const std::string& written_path, const std::string& place_path);

// The host's reason why the last open_staged_file or place_staged_file that
// failed did so ("Permission denied"), for the message that names the file;
// empty when the host gave none.
std::string staged_file_error();

// Removes a file that a run wrote, if it is a regular file: a device or a
// pipe written in place stays.
void remove_written_file(const std::string& path);

// Removes every temporary file not yet renamed or removed. It allocates
// nothing and makes only calls a signal handler may make, so it serves an
// interrupted run and one out of memory alike.
void remove_staged_temporaries();

// From now on SIGINT, SIGTERM and SIGHUP remove the staged temporaries, then
// end the process as the signal would have (SIGKILL cannot be caught: its
// temporaries stay).
void remove_staged_temporaries_on_signals();

}  // namespace orv

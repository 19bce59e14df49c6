#pragma once
#include <cstdio>

namespace orv {

class FindingLog;

// The three console streams of a run. A real run uses the process's own;
// in-process tests hand in memory streams.
struct Console {
    std::FILE* in = stdin;
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    // Listed findings are also recorded here when it is set (for the link report).
    FindingLog* findings = nullptr;
};

// Opens /dev/null onto each of the descriptors 0 to 2 that is closed when
// the process starts. Otherwise the first file the run opens would take a
// console stream's descriptor, and console text would be written into it.
// False when one is closed and /dev/null cannot be opened.
bool fill_closed_standard_descriptors();

}  // namespace orv

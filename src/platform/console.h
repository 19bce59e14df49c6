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

}  // namespace orv

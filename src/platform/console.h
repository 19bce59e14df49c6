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

// The host's null device, which swallows what is written to it.
extern const char* const NULL_DEVICE;

// What a write to a standard output stream that was closed at start does.
// The linker's console only accompanies its output files, so its text is
// swallowed; a tool whose product is its standard output (a listing, a dump)
// must not report success when that product went nowhere, so there each
// write fails, as it would have on the closed descriptor.
enum class ClosedOutput { swallowed, fails };

// Opens the null device onto each of the standard streams that is closed when
// the process starts. Otherwise the first file the run opens would take a
// console stream's descriptor, and console text would be written into it.
// On Windows the three streams are also put in binary mode, so that the
// console text is the same bytes on both hosts (a text-mode stream would turn
// every line feed into CR LF). False when one is closed and the null device
// cannot be opened.
bool fill_closed_standard_descriptors(ClosedOutput closed_output = ClosedOutput::swallowed);

}  // namespace orv

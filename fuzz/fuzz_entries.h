#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The entry points of the fuzz targets. Each runs one whole link or tool run
// on the input bytes, in memory: the input files come from the entry's own
// table, the outputs and the console go to the null device, and nothing is written
// to disk. A fatal error is a normal end; the sanitizers and the fuzzer's
// limits report what is not. The regression test replays saved inputs
// through the same entries. Each returns the run's exit status.
namespace orvfuzz {

using Entry = int (*)(const uint8_t* data, std::size_t size);

// A fuzzed relocatable object linked after a fixed one, with a library, -MS -S.
int link_fuzzed_object(const uint8_t* data, std::size_t size);
// A fuzzed library that the fixed object needs.
int link_fuzzed_library(const uint8_t* data, std::size_t size);
// The command: the arguments, one per line, then after a zero byte the
// contents of the command file CMD.LNK.
int link_fuzzed_command(const uint8_t* data, std::size_t size);
// The pass-2 part of a module (relocation, contents, debug records and the
// end) behind a fixed valid pass-1 part.
int link_fuzzed_pass2(const uint8_t* data, std::size_t size);
// orvobj build on the bytes as text.
int build_fuzzed_object_text(const uint8_t* data, std::size_t size);
// orvlib list on the bytes as a library.
int list_fuzzed_library(const uint8_t* data, std::size_t size);
// orvsize's link report reader and printers on the bytes as a report.
int read_fuzzed_report(const uint8_t* data, std::size_t size);
// orvaddr's symbol file reader and decoder on the bytes as a symbol file.
int read_fuzzed_symbol_file(const uint8_t* data, std::size_t size);
// orvlib extract of every module of the bytes as a library, in memory: the
// module found by its name, its image, and whether its name may be a file
// name here.
int extract_fuzzed_library(const uint8_t* data, std::size_t size);

struct Target {
    const char* name;  // also the folder of its corpus and regressions
    Entry entry;
};

// Every target, in the order make fuzz runs them.
const std::vector<Target>& targets();

}  // namespace orvfuzz

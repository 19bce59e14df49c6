#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// The numbering of functions across modules: each module's numbers are
// continued after the last number of the modules before it.
struct FunctionNumbering {
    int32_t func_base = 0;
    int32_t last_func = 0;
};

// One function of a module's debug records. `start` and `end` (its last
// byte) are as the record gives them: offsets into a relocatable unit,
// addresses in an absolute one (see unit_address in debug_tables.h).
struct DebugFunction {
    uint32_t number = 0;   // as in the symbol file
    const char* name = nullptr;
    int32_t unit_no = 0;   // the link's unit number
    uint32_t start = 0;
    uint32_t end = 0;
    // The line at the function's lowest address, when a source-line record
    // of the module gives one.
    const char* source_file = nullptr;
    uint32_t line = 0;
};

// One entry of a source-line table; `address` as the record gives it, like
// a function's start.
struct SourceLine {
    int32_t unit_no = 0;
    uint32_t address = 0;
    uint32_t line = 0;
    const char* file = nullptr;
    uint32_t function = 0;  // the number of the function it belongs to
};

// A module whose functions were left out of the tables, and why.
struct DebugFault {
    const char* file = nullptr;
    const char* member = nullptr;  // the library module, or null
    std::string reason;
};

// The functions and source lines of every module pass 2 processed, in pass-2
// order, read when a report needs them (the link report, the memory map).
struct DebugTables {
    bool wanted = false;
    FunctionNumbering numbering;
    std::vector<DebugFunction> functions;
    std::vector<SourceLine> lines;
    std::vector<DebugFault> faults;
};

}  // namespace orv

#pragma once
#include <cstdint>
#include <memory>

#include "platform/host_files.h"
#include "platform/text_output.h"

namespace orv {

// The Intel-HEX writer's record being built.
struct HexWriterState {
    int32_t out_address = 0;
    char record_text[50] = {};
    int record_pos = 9;
    int record_count = 0;
    int record_sum = 0;
    int32_t record_address = 0;
    int32_t last_record_address = -1;
};

// Numbering of the symbol file's functions and pointer length across modules.
struct SymbolFileState {
    int32_t func_base = 0;
    int32_t last_func = 0;
    int pointer_size = 0;
};

struct OutputState {
    // Creates every output file of the link: the HEX, map and symbol files,
    // the reports and the --why-extract table.
    OutputCreator create_file = create_host_file;
    std::unique_ptr<TextOutput> hex_file;
    std::unique_ptr<TextOutput> map_file;  // with -M or -MS
    std::unique_ptr<TextOutput> sym_file;  // with -S
    HexWriterState hex;
    SymbolFileState sym;
};

}  // namespace orv

#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "output/flash_image_state.h"
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

// The pointer length of the modules, compared across modules.
struct SymbolFileState {
    int pointer_size = 0;
};

// An output file this run created: the path written, and the path it is
// renamed to when the run ends (the same path when it was written in place).
struct StagedOutput {
    std::string written_path;
    std::string final_path;
};

struct OutputState {
    std::vector<StagedOutput> staged;  // in creation order
    // Creates the output files of a link run without host files (a test or
    // a fuzzer); empty for the host, where the HEX, map and symbol files are
    // staged and renamed into place.
    OutputCreator create_file;
    // The stream of an output file that is written in place (the reports and
    // the --why-extract table): through create_file when set.
    std::FILE* create(std::string_view linker_name) const {
        return create_file ? create_file(linker_name) : create_host_file(linker_name);
    }
    std::unique_ptr<TextOutput> hex_file;
    std::unique_ptr<TextOutput> map_file;  // with -M or -MS
    std::unique_ptr<TextOutput> sym_file;  // with -S
    std::unique_ptr<TextOutput> binary_file;  // with --binary
    std::unique_ptr<TextOutput> srec_file;    // with --srec
    HexWriterState hex;
    std::unique_ptr<FlashImage> image;  // with an image option
    ImageResults image_results;
    SymbolFileState sym;
};

}  // namespace orv

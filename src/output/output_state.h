#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "output/flash_image_state.h"
#include "platform/host_files.h"
#include "platform/staged_files.h"
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
    std::string place_failure;         // the host's reason the first rename into place failed
    // Creates the output files of a link run without host files (a test or
    // a fuzzer); empty for the host, where the HEX, map and symbol files are
    // staged and renamed into place.
    OutputCreator create_file;
    // The stream of a report or the --why-extract table, through create_file
    // when set. On the host the file is staged like the HEX file, under the
    // name exactly as given; null when it cannot be created.
    std::FILE* create_report(const std::string& name) {
        if (create_file) return create_file(name);
        staged.emplace_back();
        std::FILE* file = open_staged_file(name, staged.back().written_path, staged.back().final_path);
        if (file == nullptr) staged.pop_back();
        return file;
    }
    // The host's reason why create_report failed; none without host files.
    std::string report_error() const { return create_file ? std::string() : staged_file_error(); }
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

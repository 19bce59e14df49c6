#pragma once
#include <cstdint>
#include <vector>

#include "platform/binary_input.h"

namespace orv {

struct LinkContext;

// A library module taken into the link.
struct LibModule {
    const char* name;
    int library_index;
    int module_no;
    int32_t image_offset;  // the module's format record
    int32_t reloc_offset;  // tag of its first relocation record, 0 when none
    int32_t code_offset;   // tag of its first contents record, 0 when none
    int32_t first_unit;
    int32_t last_unit;     // first_unit - 1 when it has no units
};

struct LibraryState {
    std::vector<LibModule> lib_modules;  // in the order taken in
};

// Reads one open library file and takes in every module that defines a
// still-undefined name.
void read_library(LinkContext& ctx, BinaryInput& file);

}  // namespace orv

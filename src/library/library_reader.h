#pragma once
#include <cstdint>
#include <vector>

#include <string_view>

#include "pass1/symbols.h"
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

    // While on, the definition readers put names into the index of the
    // library module being examined instead of the global table.
    int index_mode = 0;
    SymbolTable index_root{0};
};

// Keeps a definition's name in the index's name buffer while index_mode is on.
const char* index_name_save(LinkContext& ctx, std::string_view name);

// Reads one open library file and takes in every module that defines a
// still-undefined name.
void read_library(LinkContext& ctx, BinaryInput& file);

}  // namespace orv

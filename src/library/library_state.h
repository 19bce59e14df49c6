#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "library/index_table.h"
#include "pass1/pass1_state.h"

namespace orv {

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
    // Why it was taken in: the undefined name it defines first in name order,
    // and the module that first referred to that name (file, and library
    // module when the referrer is one).
    const char* needed_name = nullptr;
    const char* needed_by_file = nullptr;
    const char* needed_by_member = nullptr;
    ExternalRange externals = {};
};

// The index of a library module entry that a search cycle passed over: its
// names with their hashes, and where the reader stood after the entry. A
// later cycle looks these names up instead of reading the index again.
struct PassedIndex {
    std::size_t first_name;  // into LibraryState::passed_names
    std::size_t name_count;
    long resume_offset;      // the next entry
    int next_tag;            // the tag after the index records
    int32_t max_label_unit;
};

// What the first complete walk of a library learnt: its module count and
// where each entry not yet taken in starts. A later cycle would pass over
// every entry taken in with its skip field; while each of those skips lands
// where its entry ends, the cycle visits the open entries alone instead.
struct LibraryWalk {
    struct Entry {
        uint32_t module_no;
        long offset;  // the entry's first tag
    };
    bool known = false;
    bool skips_land_on_entries = true;
    uint32_t module_count = 0;
    std::vector<Entry> open_entries;
};

struct LibraryState {
    std::vector<LibModule> lib_modules;  // in the order taken in

    // loaded[library_index][module_no] is set for every module in
    // lib_modules: a module is taken in at most once, and later cycles pass
    // over it with one skip. The rows grow only as far as entries were read.
    std::vector<std::vector<uint8_t>> loaded;
    // By library_index, once a cycle has walked the library whole.
    std::vector<LibraryWalk> walks;

    // Entries passed over, keyed by the address in their library's image
    // of the byte after their skip fields.
    std::unordered_map<const char*, PassedIndex> passed;
    // Their names (in the images or the text pool: both last as long as
    // the link) and the names' hashes.
    std::vector<std::string_view> passed_names;
    std::vector<uint32_t> passed_hashes;

    // Position of the module entry being read within its library.
    int module_no = 0;

    // Size of the library file being read: counts and skips read from it
    // are checked against it.
    long file_size = 0;

    // While on, the definition readers put names into the index of the
    // library module being examined instead of the global table.
    int index_mode = 0;
    IndexTable index;

    // The bytes the index block gives its names, and those its names have
    // taken so far. The names themselves stay in the library's image.
    std::size_t index_names_size = 0;
    std::size_t index_names_used = 0;
};

}  // namespace orv

#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pass1/symbols.h"

namespace orv {

// An external name a module lists, with the global entry it names. Pass 2
// finds a module's names among its own few instead of probing the whole
// table; both answers are the same entry.
struct ExternalName {
    const char* name;  // in the module's image, or pooled
    uint32_t length;
    uint32_t hash;     // SymbolTable::kept_hash of name_hash
    SymbolEntry* entry;
};

// A module's external names, kept in the record pool.
struct ExternalRange {
    const ExternalName* names = nullptr;
    uint32_t count = 0;
};

// Where pass 2 finds each relocatable file's units and resumes reading it.
struct ModuleTable {
    std::vector<int32_t> first_unit;
    std::vector<int32_t> last_unit;  // first_unit - 1 for a module without units
    std::vector<long> resume_offset; // offset of the tag at which pass 1 stopped
    std::vector<ExternalRange> externals;
};

struct Pass1State {
    const char* library_dir = nullptr;  // LIBOV, or null
    std::size_t library_dir_length = 0;
    ModuleTable rel;  // files of the relocatable-files field
    ModuleTable req;  // files that modules requested
    int library_index = 0;  // library being read: command line first, then requested
    int member_added = 0;   // a library module was taken in during this cycle
    // The external names of the module being read, until it is kept.
    std::vector<ExternalName> module_externals;
};

}  // namespace orv

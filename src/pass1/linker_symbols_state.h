#pragma once
#include <cstdint>
#include <vector>

namespace orv {

struct Section;
struct SymbolEntry;

// A __start_NAME or __stop_NAME that the linker defined for section NAME.
struct SectionSymbol {
    SymbolEntry* entry;
    const Section* section;
    bool stop;  // one past the section's last byte, else its first address
};

// A name that --defsym defined.
struct DefinedSymbol {
    SymbolEntry* entry;
    const SymbolEntry* target;  // the name whose value it follows; null for a number
    uint32_t offset;            // added to the target's value
};

// The names the linker defines itself, whose values placement settles.
struct LinkerSymbols {
    // The definers they carry in the table, and so in every listing that
    // names a definer: the options that asked for them.
    const char* defsym_definer = nullptr;
    const char* section_definer = nullptr;
    std::vector<SectionSymbol> section_symbols;
    std::vector<DefinedSymbol> defined;  // in command order
};

}  // namespace orv

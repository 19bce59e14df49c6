#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>

#include "driver/pools.h"

namespace orv {

enum SymState : uint8_t { SYM_DEFINED = 0, SYM_UNDEFINED = 1, SYM_MULTIPLE = 2 };
enum SymKind : uint8_t { SYM_LABEL = 0, SYM_SYMBOL = 1, SYM_BIT = 2 };

struct SymbolEntry {
    const char* name = nullptr;
    const char* file_name = nullptr;   // definer, or first referrer while undefined
    const char* member_name = nullptr; // library module within file_name, or null
    const char* other_file = nullptr;  // second definer of a multiply defined name
    int32_t unit_no = 0;               // labels: global unit number
    int32_t bit_no = 0;                // bit symbols: 0 to 7
    int32_t value = 0;
    uint8_t state = SYM_DEFINED;
    uint8_t kind = SYM_LABEL;
};

// A table of names ordered by byte-wise comparison, as the linker's walks
// (reports, listings, library selection) need them. A balanced tree keeps
// names that arrive sorted from degrading it.
class SymbolTable {
public:
    using Entries = std::map<std::string_view, SymbolEntry>;

    // A table that may take at most `capacity` entries (the library index);
    // the default has no limit.
    explicit SymbolTable(std::size_t capacity = SIZE_MAX) : capacity_(capacity) {}

    // Enters one prepared entry, merging it with an entry of the same name:
    // the first definition wins, a second definition makes the name multiply
    // defined, and references never change a defined name. The entry's name
    // must outlive the table.
    void enter_symbol(const SymbolEntry& incoming);

    SymbolEntry* find_symbol(std::string_view name);
    const SymbolEntry* find_symbol(std::string_view name) const;

    // True while some name is referenced but not defined.
    bool has_unresolved() const { return undefined_count_ != 0; }

    // Set the first time a name is defined twice.
    bool multiple_defined() const { return multiple_defined_; }

    // Every entry in ascending name order.
    Entries& entries() { return entries_; }
    const Entries& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

private:
    // An incoming multiply defined entry makes this one multiply defined too.
    void take_second_definer(SymbolEntry& entry, const SymbolEntry& incoming);

    Entries entries_;
    std::size_t capacity_;
    std::size_t undefined_count_ = 0;
    bool multiple_defined_ = false;
};

}  // namespace orv

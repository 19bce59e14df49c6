#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "pass1/symbols.h"

namespace orv {

// One definition of a library module's index, with its name's length and
// hash, so that the global lookups measure and hash nothing again.
struct IndexEntry {
    SymbolEntry definition;
    uint32_t length;
    uint32_t hash;  // SymbolTable::kept_hash of name_hash
    // The global entry of the same name when module_needed looked, or null.
    SymbolEntry* global;
    std::string_view name() const { return std::string_view(definition.name, length); }
};

// The definitions of the library module entry being examined, each name
// once and in the order first read. A name defined twice becomes one
// multiply defined entry, which the global table takes as a definition
// that brings its second definer. The entries are kept between modules, so
// examining a module allocates nothing once the largest index has been met.
class IndexTable {
public:
    // Empties the index for a module whose index block announces
    // `capacity` definitions. An index made new holds no memory until then.
    void reset(std::size_t capacity);

    // Enters one definition whose name (a C string that outlives the index)
    // is `length` bytes long and hashes to `hash`. A new name beyond the
    // announced capacity is internal error point "8".
    void enter(const SymbolEntry& definition, std::size_t length, uint64_t hash);

    std::size_t size() const { return entries_.size(); }
    IndexEntry& operator[](std::size_t i) { return entries_[i]; }
    const IndexEntry& operator[](std::size_t i) const { return entries_[i]; }
    bool multiple_defined() const { return multiple_defined_; }

private:
    void grow_slots();

    // Open addressing over entry numbers + 1 (0: empty), at most half full.
    std::vector<uint32_t> slots_;
    std::vector<IndexEntry> entries_;
    std::size_t capacity_ = 0;
    bool multiple_defined_ = false;
};

}  // namespace orv

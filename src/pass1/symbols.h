#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/pools.h"

namespace orv {

enum SymState : uint8_t { SYM_DEFINED = 0, SYM_UNDEFINED = 1, SYM_MULTIPLE = 2 };
enum SymKind : uint8_t { SYM_LABEL = 0, SYM_SYMBOL = 1, SYM_BIT = 2 };

// Kept small (40 bytes on a 64-bit host): a large link holds a hundred
// thousand of these, and a lookup that finds its name reads one.
struct SymbolEntry {
    const char* name = nullptr;
    const char* file_name = nullptr;   // definer, or first referrer while undefined
    const char* member_name = nullptr; // library module within file_name, or null
    int32_t unit_no = 0;               // labels: global unit number
    int32_t value = 0;
    uint8_t bit_no = 0;                // bit symbols: 0 to 7
    uint8_t state = SYM_DEFINED;
    uint8_t kind = SYM_LABEL;
};

// The hash of a name's bytes: computed once per name read, then passed
// along wherever the same name is looked up or entered again.
uint64_t name_hash(std::string_view name);

// A table of names kept in a hash table: lookups cost the same whatever the
// order names arrive in. The walks that need names in byte-wise order (the
// reports and listings) sort the table once when they run.
class SymbolTable {
public:
    // A table that may take at most `capacity` entries (the library index);
    // the default has no limit.
    explicit SymbolTable(std::size_t capacity = SIZE_MAX) : capacity_(capacity) {}
    SymbolTable(const SymbolTable&) = delete;
    SymbolTable& operator=(const SymbolTable&) = delete;

    // Empties the table for reuse with a new capacity; its memory is kept.
    void reset(std::size_t capacity);

    // Enters one prepared entry, merging it with an entry of the same name:
    // the first definition wins, a second definition makes the name multiply
    // defined, and references never change a defined name. An incoming entry
    // that is multiply defined already (a library module's index that holds
    // the name twice) has its own file as its second definer. The entry's name
    // must outlive the table. `hash` is name_hash of the entry's name.
    // Returns the table's entry for the name, which lasts as long as the table.
    SymbolEntry* enter_symbol(const SymbolEntry& incoming);
    SymbolEntry* enter_symbol(const SymbolEntry& incoming, uint64_t hash);
    // The same with the entry's name also given as a view, which spares
    // measuring it.
    SymbolEntry* enter_symbol(const SymbolEntry& incoming, std::string_view name, uint64_t hash);
    // The same where a lookup of the name has just found `found` (null: not
    // in the table), and no entry has been added for the name since.
    SymbolEntry* enter_found(SymbolEntry* found, const SymbolEntry& incoming, uint64_t hash);

    SymbolEntry* find_symbol(std::string_view name) { return find_symbol(name, name_hash(name)); }
    const SymbolEntry* find_symbol(std::string_view name) const { return find_symbol(name, name_hash(name)); }
    SymbolEntry* find_symbol(std::string_view name, uint64_t hash);
    const SymbolEntry* find_symbol(std::string_view name, uint64_t hash) const;

    // True while some name is referenced but not defined.
    bool has_unresolved() const { return undefined_count_ != 0; }

    // Set the first time a name is defined twice.
    bool multiple_defined() const { return multiple_defined_; }

    // The second definer of a multiply defined entry, or null.
    const char* second_definer(const SymbolEntry& entry) const;

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // Entry i (0 to size() - 1) in the order first entered.
    SymbolEntry& entry(std::size_t i) { return chunks_[i / CHUNK][i % CHUNK]; }
    const SymbolEntry& entry(std::size_t i) const { return chunks_[i / CHUNK][i % CHUNK]; }

    // The table places names by the low 32 bits of their hash; that is all
    // it keeps of a hash.
    static uint32_t kept_hash(uint64_t hash) { return uint32_t(hash); }

    // Every entry in ascending byte-wise name order. Sorted when first asked
    // after a change, then kept until the next entry comes in.
    const std::vector<SymbolEntry*>& in_name_order() const;

private:
    static constexpr std::size_t CHUNK = 512;
    struct Slot {
        uint32_t hash;   // low bits of the name's hash
        uint32_t index;  // entry index + 1; 0 for an empty slot
    };

    SymbolEntry* add_entry(uint64_t hash);
    void grow_slots();
    void set_second_definer(const SymbolEntry& entry, const char* file_name);

    // Entries live in fixed blocks, so pointers to them stay valid as the
    // table grows. A block's memory is taken as it is: each entry is
    // written whole when it is added.
    Pool blocks_;
    std::vector<SymbolEntry*> chunks_;
    std::vector<Slot> slots_;
    std::size_t count_ = 0;
    std::size_t capacity_;
    std::size_t undefined_count_ = 0;
    bool multiple_defined_ = false;
    // Few names are defined twice: their second definers are kept here
    // rather than in every entry.
    std::unordered_map<const SymbolEntry*, const char*> second_definers_;
    mutable std::vector<SymbolEntry*> sorted_;
};

}  // namespace orv

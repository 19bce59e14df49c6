#include "pass1/symbols.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "base/diagnostics.h"

namespace orv {
namespace {

constexpr std::size_t FIRST_SLOTS = 16;

uint64_t mix(uint64_t h) {
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93u;
    h ^= h >> 32;
    return h;
}

// A stored name against a name given by its bytes; a name holding a zero
// byte equals no stored name.
bool same_name(const char* stored, std::string_view name) {
    for (char c : name) {
        if (*stored != c || c == '\0') return false;
        ++stored;
    }
    return *stored == '\0';
}

}  // namespace

uint64_t name_hash(std::string_view name) {
    const char* p = name.data();
    std::size_t n = name.size();
    uint64_t h = 0x9E3779B97F4A7C15u ^ n;
    while (n >= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        h = mix(h ^ word);
        p += 8;
        n -= 8;
    }
    // The last n bytes: a name of 8 bytes or more has them at the end of the
    // 8 bytes that end it, which one load takes (the shift keeps just them
    // on a little-endian host; elsewhere the hash is only weaker); a shorter
    // name is gathered byte by byte.
    uint64_t tail = 0;
    if (n != 0 && name.size() >= 8) {
        std::memcpy(&tail, p + n - 8, 8);
        tail >>= 8 * (8 - n);
    } else {
        for (std::size_t i = 0; i < n; ++i) tail |= uint64_t(static_cast<unsigned char>(p[i])) << (8 * i);
    }
    return mix(h ^ tail ^ (uint64_t(n) << 56));
}

void SymbolTable::reset(std::size_t capacity) {
    capacity_ = capacity;
    count_ = 0;
    undefined_count_ = 0;
    multiple_defined_ = false;
    second_definers_.clear();
    sorted_.clear();
    // A huge index once must not make every later reset expensive.
    if (slots_.size() > 8 * FIRST_SLOTS) {
        slots_.assign(FIRST_SLOTS, Slot{0, 0});
        slots_.shrink_to_fit();
    } else {
        std::fill(slots_.begin(), slots_.end(), Slot{0, 0});
    }
}

void SymbolTable::grow_slots() {
    // Growing fourfold halves the rehashing a large link does, for at most
    // twice the slots at the start of each step (a slot is 8 bytes).
    std::size_t size = slots_.empty() ? FIRST_SLOTS : slots_.size() * 4;
    // Each slot keeps its entry's hash, so the old slots rebuild the new.
    std::vector<Slot> old(size, Slot{0, 0});
    old.swap(slots_);
    const std::size_t mask = size - 1;
    for (const Slot& slot : old) {
        if (slot.index == 0) continue;
        std::size_t at = std::size_t(slot.hash) & mask;
        while (slots_[at].index != 0) at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

SymbolEntry* SymbolTable::find_symbol(std::string_view name, uint64_t hash) {
    if (slots_.empty()) return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = std::size_t(hash) & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.index == 0) return nullptr;
        if (slot.hash != uint32_t(hash)) continue;
        SymbolEntry& candidate = entry(slot.index - 1);
        if (same_name(candidate.name, name)) return &candidate;
    }
}

const SymbolEntry* SymbolTable::find_symbol(std::string_view name, uint64_t hash) const {
    return const_cast<SymbolTable*>(this)->find_symbol(name, hash);
}

// A new, empty entry for a name not in the table.
SymbolEntry* SymbolTable::add_entry(uint64_t hash) {
    // At most half of the slots in use keeps probe runs short.
    if (2 * (count_ + 1) > slots_.size()) grow_slots();
    if (count_ / CHUNK == chunks_.size()) {
        chunks_.push_back(static_cast<SymbolEntry*>(blocks_.allocate(CHUNK * sizeof(SymbolEntry), alignof(SymbolEntry))));
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = std::size_t(hash) & mask;
    while (slots_[at].index != 0) at = (at + 1) & mask;
    slots_[at] = Slot{uint32_t(hash), uint32_t(count_ + 1)};
    SymbolEntry* added = new (&entry(count_)) SymbolEntry;
    ++count_;
    sorted_.clear();
    return added;
}

SymbolEntry* SymbolTable::enter_symbol(const SymbolEntry& incoming) {
    return enter_symbol(incoming, name_hash(incoming.name));
}

SymbolEntry* SymbolTable::enter_symbol(const SymbolEntry& incoming, uint64_t hash) {
    return enter_symbol(incoming, incoming.name, hash);
}

SymbolEntry* SymbolTable::enter_symbol(const SymbolEntry& incoming, std::string_view name, uint64_t hash) {
    return enter_found(find_symbol(name, hash), incoming, hash);
}

SymbolEntry* SymbolTable::enter_found(SymbolEntry* found, const SymbolEntry& incoming, uint64_t hash) {
    if (found == nullptr) {
        if (count_ >= capacity_) internal_error("8");
        SymbolEntry entry;
        entry.name = incoming.name;
        entry.file_name = incoming.file_name;
        entry.member_name = incoming.member_name;
        entry.state = incoming.state;
        if (incoming.state != SYM_UNDEFINED) {
            entry.unit_no = incoming.unit_no;
            entry.value = incoming.value;
            entry.kind = incoming.kind;
            if (incoming.kind == SYM_BIT) entry.bit_no = incoming.bit_no;
        } else {
            ++undefined_count_;
        }
        SymbolEntry* added = add_entry(hash);
        *added = entry;
        if (incoming.state == SYM_MULTIPLE) set_second_definer(*added, incoming.file_name);
        return added;
    }

    SymbolEntry& entry = *found;
    // A library module's index hands over a name it defines twice as one
    // multiply defined entry: a definition that brings its second definer.
    bool definition = incoming.state != SYM_UNDEFINED;
    switch (entry.state) {
    case SYM_DEFINED:
        if (definition) {
            entry.state = SYM_MULTIPLE;
            set_second_definer(entry, incoming.file_name);
        }
        break;
    case SYM_UNDEFINED:
        if (definition) {
            entry.file_name = incoming.file_name;
            entry.member_name = incoming.member_name;
            entry.unit_no = incoming.unit_no;
            entry.value = incoming.value;
            entry.state = incoming.state;
            entry.kind = incoming.kind;
            if (incoming.kind == SYM_BIT) entry.bit_no = incoming.bit_no;
            if (incoming.state == SYM_MULTIPLE) set_second_definer(entry, incoming.file_name);
            --undefined_count_;
        }
        break;
    case SYM_MULTIPLE:
        break;
    default:
        internal_error("8.1");
    }
    return found;
}

void SymbolTable::set_second_definer(const SymbolEntry& entry, const char* file_name) {
    second_definers_[&entry] = file_name;
    multiple_defined_ = true;
}

const char* SymbolTable::second_definer(const SymbolEntry& entry) const {
    auto found = second_definers_.find(&entry);
    return found != second_definers_.end() ? found->second : nullptr;
}

const std::vector<SymbolEntry*>& SymbolTable::in_name_order() const {
    if (sorted_.size() != count_) {
        sorted_.clear();
        sorted_.reserve(count_);
        auto* self = const_cast<SymbolTable*>(this);
        // The first eight bytes of each name, as a big-endian number, decide
        // most comparisons without touching the names again.
        struct Keyed {
            uint64_t prefix;
            SymbolEntry* entry;
        };
        std::vector<Keyed> keyed;
        keyed.reserve(count_);
        for (std::size_t i = 0; i < count_; ++i) {
            SymbolEntry* entry = &self->entry(i);
            uint64_t prefix = 0;
            int shift = 56;
            for (const char* c = entry->name; *c != '\0' && shift >= 0; ++c, shift -= 8) {
                prefix |= uint64_t(static_cast<unsigned char>(*c)) << shift;
            }
            keyed.push_back(Keyed{prefix, entry});
        }
        // A radix sort on the prefixes, a byte at a time from the least
        // significant (a byte that all prefixes share is skipped), then the
        // names that share a prefix are ordered by their remaining bytes.
        constexpr std::size_t DIGITS = 8, VALUES = 256;
        std::vector<uint32_t> counts(DIGITS * VALUES, 0);
        for (const Keyed& k : keyed) {
            const uint64_t p = k.prefix;
            ++counts[0 * VALUES + (p & 0xFF)];
            ++counts[1 * VALUES + ((p >> 8) & 0xFF)];
            ++counts[2 * VALUES + ((p >> 16) & 0xFF)];
            ++counts[3 * VALUES + ((p >> 24) & 0xFF)];
            ++counts[4 * VALUES + ((p >> 32) & 0xFF)];
            ++counts[5 * VALUES + ((p >> 40) & 0xFF)];
            ++counts[6 * VALUES + ((p >> 48) & 0xFF)];
            ++counts[7 * VALUES + (p >> 56)];
        }
        std::vector<Keyed> spare(keyed.size());
        for (std::size_t d = 0; d < DIGITS && !keyed.empty(); ++d) {
            uint32_t* digit_counts = counts.data() + d * VALUES;
            const int shift = int(8 * d);
            if (digit_counts[(keyed[0].prefix >> shift) & 0xFF] == keyed.size()) continue;
            uint32_t at = 0;
            for (std::size_t v = 0; v < VALUES; ++v) at += std::exchange(digit_counts[v], at);
            for (const Keyed& k : keyed) spare[digit_counts[(k.prefix >> shift) & 0xFF]++] = k;
            keyed.swap(spare);
        }
        for (std::size_t first = 0; first < keyed.size();) {
            std::size_t end = first + 1;
            while (end < keyed.size() && keyed[end].prefix == keyed[first].prefix) ++end;
            // Equal prefixes with a name end inside them are equal names.
            if (end - first > 1 && (keyed[first].prefix & 0xFF) != 0) {
                std::sort(keyed.begin() + std::ptrdiff_t(first), keyed.begin() + std::ptrdiff_t(end),
                          [](const Keyed& a, const Keyed& b) { return std::strcmp(a.entry->name + 8, b.entry->name + 8) < 0; });
            }
            first = end;
        }
        for (const Keyed& k : keyed) sorted_.push_back(k.entry);
    }
    return sorted_;
}

}  // namespace orv

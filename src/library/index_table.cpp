#include "library/index_table.h"

#include <algorithm>
#include <cstring>

#include "base/diagnostics.h"

namespace orv {
namespace {

// An index of up to MOST_SLOTS / 2 names fits the slots it is given at
// reset; a larger one grows them as its names come in, so that a count the
// block merely announces allocates nothing.
constexpr std::size_t FIRST_SLOTS = 16;
constexpr std::size_t MOST_SLOTS = 1024;

}  // namespace

void IndexTable::reset(std::size_t capacity) {
    capacity_ = capacity;
    multiple_defined_ = false;
    entries_.clear();
    std::size_t wanted = FIRST_SLOTS;
    while (wanted < MOST_SLOTS && wanted < 2 * capacity + 2) wanted *= 2;
    // The slots of a huge index are given back rather than cleared for
    // every later module.
    if (slots_.size() != wanted) {
        std::vector<uint32_t>(wanted, 0).swap(slots_);
    } else {
        std::fill(slots_.begin(), slots_.end(), 0u);
    }
}

void IndexTable::grow_slots() {
    const std::size_t size = 2 * slots_.size();
    std::vector<uint32_t>().swap(slots_);
    slots_.assign(size, 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        std::size_t at = std::size_t(entries_[i].hash) & mask;
        while (slots_[at] != 0) at = (at + 1) & mask;
        slots_[at] = uint32_t(i + 1);
    }
}

void IndexTable::enter(const SymbolEntry& definition, std::size_t length, uint64_t hash) {
    if (slots_.empty()) slots_.assign(FIRST_SLOTS, 0);
    const uint32_t kept = SymbolTable::kept_hash(hash);
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = std::size_t(kept) & mask;
    for (; slots_[at] != 0; at = (at + 1) & mask) {
        IndexEntry& known = entries_[slots_[at] - 1];
        if (known.hash != kept || known.length != length ||
            std::memcmp(known.definition.name, definition.name, length) != 0) {
            continue;
        }
        // The first definition stays; a second makes the name multiply
        // defined, with this library as its second definer.
        if (known.definition.state == SYM_DEFINED) {
            known.definition.state = SYM_MULTIPLE;
            multiple_defined_ = true;
        }
        return;
    }
    if (entries_.size() >= capacity_) internal_error("8");
    entries_.push_back(IndexEntry{definition, uint32_t(length), kept, nullptr});
    if (2 * entries_.size() > slots_.size()) {
        grow_slots();
    } else {
        slots_[at] = uint32_t(entries_.size());
    }
}

}  // namespace orv

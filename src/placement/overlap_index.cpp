#include "placement/overlap_index.h"

#include <algorithm>

#include "placement/unit_values.h"

namespace orv {
namespace {

// The tree spans every address a unit can start at.
constexpr uint64_t ADDRESS_SPAN = uint64_t(1) << 32;

}  // namespace

OverlapIndex::OverlapIndex(const SectionTable& table) : nodes_(1) {
    std::size_t position = 0;
    for (const Section* section = table.section_list; section != nullptr; section = section->next) {
        position_.emplace(section, position++);
    }
}

void OverlapIndex::add(const Section& section) {
    const int64_t start = unit_address(*section.units);
    const int64_t end = start + section_length(section);
    const std::size_t position = position_.at(&section);
    by_start_.emplace(start, Entry{&section, position, -1});
    // Addresses from the end of the span on are never looked up.
    const uint64_t stored_end = std::min(uint64_t(end), ADDRESS_SPAN);
    if (uint64_t(start) < stored_end) {
        entries_.push_back(Entry{&section, position, -1});
        insert(0, 0, ADDRESS_SPAN, uint64_t(start), stored_end, entries_.size() - 1);
    }
}

uint32_t OverlapIndex::child_of(uint32_t node, int side) {
    if (nodes_[node].child[side] == 0) {
        nodes_.emplace_back();
        nodes_[node].child[side] = static_cast<uint32_t>(nodes_.size() - 1);
    }
    return nodes_[node].child[side];
}

void OverlapIndex::insert(uint32_t node, uint64_t node_start, uint64_t node_size, uint64_t start,
                          uint64_t end, std::size_t entry) {
    if (start <= node_start && node_start + node_size <= end) {
        // The whole block lies inside the range: one more section here.
        Entry copy = entries_[entry];
        copy.next = nodes_[node].first;
        entries_.push_back(copy);
        nodes_[node].first = static_cast<int32_t>(entries_.size() - 1);
        return;
    }
    const uint64_t half = node_size / 2;
    if (start < node_start + half) insert(child_of(node, 0), node_start, half, start, end, entry);
    if (end > node_start + half) insert(child_of(node, 1), node_start + half, half, start, end, entry);
}

std::vector<const Section*> OverlapIndex::meeting(int64_t start, int64_t end) const {
    std::vector<Entry> found;
    // Sections that start below `start` and reach past it: those covering
    // the address `start`, found on the path down to it.
    uint32_t node = 0;
    uint64_t node_start = 0;
    uint64_t node_size = ADDRESS_SPAN;
    for (;;) {
        for (int32_t e = nodes_[node].first; e >= 0; e = entries_[static_cast<std::size_t>(e)].next) {
            const Entry& entry = entries_[static_cast<std::size_t>(e)];
            if (unit_address(*entry.section->units) < start) found.push_back(entry);
        }
        if (node_size == 1) break;
        const uint64_t half = node_size / 2;
        const int side = uint64_t(start) >= node_start + half ? 1 : 0;
        if (nodes_[node].child[side] == 0) break;
        node = nodes_[node].child[side];
        if (side == 1) node_start += half;
        node_size = half;
    }
    // Sections that start inside [start, end).
    for (auto it = by_start_.lower_bound(start); it != by_start_.end() && it->first < end; ++it) {
        found.push_back(it->second);
    }
    std::sort(found.begin(), found.end(),
              [](const Entry& a, const Entry& b) { return a.position < b.position; });
    std::vector<const Section*> sections;
    sections.reserve(found.size());
    for (const Entry& entry : found) sections.push_back(entry.section);
    return sections;
}

}  // namespace orv

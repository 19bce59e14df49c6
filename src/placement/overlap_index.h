#pragma once
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

#include "pass1/sections.h"

namespace orv {

// The placed sections that later sections are checked against: those that
// are not empty and whose own units do not overlap. A section placed later
// finds the ones its address range meets without walking all of them, so
// placing many sections does not grow with the square of their number.
class OverlapIndex {
public:
    // Notes the position of every section in the section list, the order in
    // which overlaps are reported.
    explicit OverlapIndex(const SectionTable& table);

    // A placed section with its final start and length.
    void add(const Section& section);

    // Every section added so far whose range [start, start + length) meets
    // [start, end), in section-list order.
    std::vector<const Section*> meeting(int64_t start, int64_t end) const;

private:
    struct Entry {
        const Section* section;
        std::size_t position;  // in the section list
        int32_t next;          // next entry of the same node, or -1
    };

    // A node of a binary tree over the 32-bit addresses; a section's range is
    // stored at the few nodes whose blocks of addresses make it up, so the
    // sections covering one address lie on the path down to it.
    struct Node {
        uint32_t child[2] = {0, 0};  // 0: none (node 0 is the root)
        int32_t first = -1;          // first entry stored here
    };

    void insert(uint32_t node, uint64_t node_start, uint64_t node_size, uint64_t start, uint64_t end,
                std::size_t entry);
    uint32_t child_of(uint32_t node, int side);

    std::unordered_map<const Section*, std::size_t> position_;
    std::multimap<int64_t, Entry> by_start_;
    std::vector<Node> nodes_;
    std::vector<Entry> entries_;
};

}  // namespace orv

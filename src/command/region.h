#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// A memory region of the target declared with --region: a named address range
// (both ends inclusive) that holds units of one kind, ROM or RAM.
struct Region {
    std::string name;
    uint8_t ram;    // 0 ROM, 1 RAM, as a unit's attribute
    int64_t start;
    int64_t end;    // inclusive

    int64_t size() const { return end - start + 1; }
    bool holds(int64_t address) const { return address >= start && address <= end; }
};

struct RegionTable {
    std::vector<Region> regions;  // checked, in declaration order
};

}  // namespace orv

#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pass1/sections.h"
#include "placement/region_layout.h"

namespace orv {

// A module's share of a region.
struct Contribution {
    std::string module;
    int64_t bytes;
};

// A module as the console names it: "FILE", or "LIBRARY ( MODULE )".
std::string module_label(const Unit& unit);

// The modules whose units fill the region, largest first (equal ones in the
// order they first appear by address), at most `limit` of them.
std::vector<Contribution> largest_contributors(const RegionLayout& layout, int region, std::size_t limit);

}  // namespace orv

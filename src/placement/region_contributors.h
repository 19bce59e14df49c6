#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pass1/sections.h"
#include "placement/region_layout.h"

namespace orv {

// A module's share of a region, or, with `modules` set, a library's: all of
// its modules together.
struct Contribution {
    std::string module;
    int64_t bytes;
    int modules = 0;  // a library's modules that take part; 0 for a module
};

// A module as the console names it: "FILE", or "LIBRARY ( MODULE )".
std::string module_label(const Unit& unit);

// What the units give: the modules, largest first (equal ones in the order
// they first appear), at most `limit` of them; then each library with more
// than one module among the units, by its total, largest first.
std::vector<Contribution> contributors_of(const std::vector<const Unit*>& units, std::size_t limit);

// The units that fill the region, by address.
std::vector<const Unit*> units_in_region(const RegionLayout& layout, int region);

}  // namespace orv

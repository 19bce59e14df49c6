#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "command/region.h"
#include "pass1/sections.h"

namespace orv {

constexpr int NO_REGION = -1;

// A section whose units, starting inside a region of their kind, run past its end.
struct RegionOverflow {
    const Section* section;
    int region;
    int64_t bytes;  // from the region's end to the end of the section's run
};

// Which region every placed unit fills, and which units break the fit rules:
// every unit with bytes lies wholly inside one region of its own kind.
struct RegionLayout {
    std::vector<const Section*> sections;  // by address (order_no)
    std::vector<int> unit_region;          // by unit_no: the region it fills, or NO_REGION
    std::vector<uint8_t> misfit;           // by unit_no: 1 when it breaks a fit rule
    std::vector<int64_t> used;             // by region: bytes of the units that fill it
    std::vector<RegionOverflow> overflows; // by region's first finding, sections by address
    std::vector<const Unit*> outside;      // units outside every region of their kind, by address
};

// A unit fills the region its first byte lies in. A unit that starts in no
// region but directly follows a unit of its section in a region of its kind
// (one that ran past the region's end or one that ended right at it) belongs
// to that region's overflow: it fills the same region and adds to the bytes
// the section overflows it by. Units without bytes fill nothing.
RegionLayout lay_out_regions(const SectionTable& sections, const std::vector<Region>& regions);

// Sections in ascending order of their numbers (start addresses).
std::vector<const Section*> sections_by_address(const SectionTable& sections);

}  // namespace orv

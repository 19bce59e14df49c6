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
    int64_t bytes;      // from the region's end to the end of the section's run
    const Unit* first;  // the first unit that reaches past the region's end
};

// The units of a section that lie outside every region of their kind in one
// place: a region of the other kind, or one gap between regions.
struct RegionOutside {
    const Section* section;
    int place;  // region_place of the first unit's address
    std::vector<const Unit*> units;
};

// Which region every placed unit fills, and which units break the fit rules:
// every unit with bytes lies wholly inside one region of its own kind.
struct RegionLayout {
    std::vector<const Section*> sections;  // by address (order_no)
    std::vector<int> unit_region;          // by unit_no: the region it fills, or NO_REGION
    std::vector<uint8_t> misfit;           // by unit_no: 1 when it breaks a fit rule
    std::vector<int64_t> used;             // by region: bytes of the units that fill it
    std::vector<RegionOverflow> overflows; // by region's first finding, sections by address
    std::vector<RegionOutside> outside;    // sections by address, each place in the order first met
};

// A unit fills the region its first byte lies in. A unit that directly
// follows a unit of its section in a region of its kind (one that ran past
// the region's end or one that ended right at it) and starts beyond that
// region, in no region or in the next one, belongs to that region's overflow:
// it fills the same region and adds to the bytes the section overflows it
// by. Units without bytes fill nothing.
RegionLayout lay_out_regions(const SectionTable& sections, const std::vector<Region>& regions);

// Where an address lies: the index of the region that holds it, or, in a gap,
// the number of regions plus the index of the lowest region above it (twice
// the number of regions above the last one). Units of one section outside
// their regions are reported once per place.
int region_place(const std::vector<Region>& regions, int64_t address);

// Sections in ascending order of their numbers (start addresses).
std::vector<const Section*> sections_by_address(const SectionTable& sections);

}  // namespace orv

#pragma once
#include <cstdint>
#include <vector>

#include "command/region.h"
#include "pass1/sections.h"

namespace orv {

// One block of a bank's address strip: a unit, or free addresses between
// units. The strip is not to scale: a block's width grows with the logarithm
// of its bytes, so that a 2-byte unit and a 16 KiB gap can both be seen.
// Blocks run left to right in address order and wrap into lines.
struct StripBlock {
    const Unit* unit;  // null for free addresses
    int64_t start;
    int64_t end;       // exclusive
    int line;
    double x;
    double width;
};

struct BankStrip {
    int64_t base;
    std::vector<StripBlock> blocks;
    int lines = 0;

    // Stretches of the strip that lie inside [start, end), one per line, as
    // (line, x, width): where a region's outline is drawn.
    struct Stretch {
        int line;
        double x;
        double width;
    };
    std::vector<Stretch> stretches(int64_t start, int64_t end) const;
};

constexpr double STRIP_WIDTH = 1040.0;  // one line of blocks

// Lays out the units whose first byte lies in the bank [base, base + 64 KiB),
// splitting free stretches where regions begin and end so that region
// outlines fall on block edges. `units` are sorted by address.
BankStrip lay_out_bank(int64_t base, const std::vector<const Unit*>& units, const std::vector<Region>& regions);

}  // namespace orv

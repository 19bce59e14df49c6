#pragma once
#include <cstdint>

#include "placement/overlap_index.h"

namespace orv {

struct LinkContext;

// The section information index of a section that the section information
// does not list.
constexpr int NO_INFO = -1;

// What placement carries from one section to the next.
struct PlacementState {
    explicit PlacementState(const SectionTable& table) : placed(table) {}

    // The location counter: the end of the highest unit of the section
    // placed last.
    int64_t location = 0;
    // The placed sections that take part in overlap checks.
    OverlapIndex placed;
};

// Places the listed sections in the order of the section information, then
// every other section in order of first appearance.
void order_sections(LinkContext& ctx);

// Places one section, checks it against the sections placed before it and
// moves the location counter past it.
void place_section(LinkContext& ctx, Section& section, int info_index, PlacementState& state);

// The address at which the section's units start.
int64_t section_start(LinkContext& ctx, const Section& section, int info_index, int64_t location);

// Gives every unit of the section its address from `start` on, sets the
// section's length and reports a section that runs past the address limit.
// Returns the location counter after the section.
int64_t place_units(LinkContext& ctx, Section& section, int64_t start, int64_t location);

// Reports every placed section that the section overlaps.
void check_overlap(LinkContext& ctx, const Section& section, const OverlapIndex& placed);

// Error 11 for `unit`, which starts at `address` inside section `name`.
// One side of an overlap: the section, the unit named for it, and the
// addresses it takes (the end exclusive).
struct OverlapSide {
    const char* section;
    const Unit* unit;
    int64_t start;
    int64_t end;
};

// Error 11 for `named`, the side that starts higher; with --explain, the
// other side and the range they share.
void report_overlap(LinkContext& ctx, const OverlapSide& named, const OverlapSide& other);

// Gives the units of each section one ROM/RAM attribute, reporting sections
// whose units disagree.
void check_section_types(LinkContext& ctx);

// Numbers the sections from 1 in ascending order of their start address.
void number_sections(LinkContext& ctx);

// Builds the table from unit number to unit.
void build_unit_table(LinkContext& ctx);

// Adds the final unit address to the value of every label of a relocatable unit.
void relocate_labels(LinkContext& ctx);

}  // namespace orv

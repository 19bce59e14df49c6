#include <algorithm>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "base/text_helpers.h"
#include "pass1/unit_place.h"
#include "placement/placement_steps.h"
#include "placement/unit_values.h"

namespace orv {
namespace {

OverlapSide first_unit_side(const Section& section) {
    const int64_t start = unit_address(*section.units);
    return {section.name, section.units, start, start + section_length(section)};
}

std::string side_text(const OverlapSide& side) {
    return "SECTION " + std::string(side.section) + " " + hex_text(uint64_t(side.start), 4) + "-" +
           hex_text(uint64_t(side.end - 1), 4) + " of " + module_name(side.unit->file_name, side.unit->member_name);
}

}  // namespace

// Each overlapping pair of sections is reported once, when the second of the
// two is placed, naming the one that starts higher (on equal starts the one
// placed earlier). Sections that are empty, or whose own units overlap, take
// no part; the index holds the others and yields the ones whose addresses
// meet this section's, in section-list order.
void check_overlap(LinkContext& ctx, const Section& section, const OverlapIndex& placed) {
    const OverlapSide own = first_unit_side(section);
    if (own.start == own.end) return;
    for (const Section* other : placed.meeting(own.start, own.end)) {
        const OverlapSide theirs = first_unit_side(*other);
        if (own.start > theirs.start) {
            if (own.start < theirs.end) report_overlap(ctx, own, theirs);
        } else if (theirs.start < own.end) {
            report_overlap(ctx, theirs, own);
        }
    }
}

void report_overlap(LinkContext& ctx, const OverlapSide& named, const OverlapSide& other) {
    ctx.link_failed = 1;
    const Unit& unit = *named.unit;
    report_listed(ctx.console, ERR_LOCATION_OVERLAP, named.section,
                  static_cast<unsigned long>(static_cast<uint32_t>(named.start)), unit.file_name);
    if (unit.member_name != nullptr) {
        report_listed_more(ctx.console, "( %s )\n", unit.member_name);
    } else {
        report_listed_more(ctx.console, "\n");
    }
    place_finding(ctx.console, unit_place(unit, uint32_t(named.start)));
    if (other.unit == nullptr) return;
    relate_finding(ctx.console, {side_text(other), unit_place(*other.unit, uint32_t(other.start))});
    if (!explaining(ctx)) return;
    const int64_t first = std::max(named.start, other.start);
    const int64_t last = std::min(named.end, other.end) - 1;
    print_detail(ctx.console, side_text(named) + " overlaps " + side_text(other) + " at " +
                                  hex_text(uint64_t(first), 4) + " to " + hex_text(uint64_t(last), 4) + ", " +
                                  byte_count(last - first + 1));
}

}  // namespace orv

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "placement/placement_steps.h"
#include "placement/unit_values.h"

namespace orv {

// Each overlapping pair of sections is reported once, when the second of the
// two is placed, naming the one that starts higher (on equal starts the one
// placed earlier). Sections that are empty, or whose own units overlap, take
// no part; the index holds the others and yields the ones whose addresses
// meet this section's, in section-list order.
void check_overlap(LinkContext& ctx, const Section& section, const OverlapIndex& placed) {
    const int64_t start = unit_address(*section.units);
    const int64_t end = start + section_length(section);
    if (start == end) return;
    for (const Section* other : placed.meeting(start, end)) {
        const int64_t other_start = unit_address(*other->units);
        const int64_t other_end = other_start + section_length(*other);
        if (start > other_start) {
            if (start < other_end) report_overlap(ctx, section.name, start, *section.units);
        } else if (other_start < end) {
            report_overlap(ctx, other->name, other_start, *other->units);
        }
    }
}

void report_overlap(LinkContext& ctx, const char* name, int64_t address, const Unit& unit) {
    ctx.link_failed = 1;
    report_listed(ctx.console, ERR_LOCATION_OVERLAP, name,
                  static_cast<unsigned long>(static_cast<uint32_t>(address)), unit.file_name);
    if (unit.member_name != nullptr) {
        report_listed_more(ctx.console, "( %s )\n", unit.member_name);
    } else {
        report_listed_more(ctx.console, "\n");
    }
}

}  // namespace orv

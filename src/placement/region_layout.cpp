#include "placement/region_layout.h"

#include <algorithm>

#include "placement/unit_values.h"

namespace orv {
namespace {

int region_at(const std::vector<Region>& regions, int64_t address) {
    for (std::size_t r = 0; r < regions.size(); ++r) {
        if (regions[r].holds(address)) return int(r);
    }
    return NO_REGION;
}

// Records an overflow of the section in the region, or widens the one found
// before for the same pair (absolute units may start a second run). Sections
// are laid out one after the other, so only the last entries can be the
// section's: the search stays short however many sections overflow.
void note_overflow(RegionLayout& layout, const Section* section, const Unit* unit, int region, int64_t bytes) {
    for (auto it = layout.overflows.rbegin(); it != layout.overflows.rend() && it->section == section; ++it) {
        if (it->region == region) {
            it->bytes = std::max(it->bytes, bytes);
            return;
        }
    }
    layout.overflows.push_back(RegionOverflow{section, region, bytes, unit});
}

// Adds the unit to its section's finding for the place it lies in, as
// note_overflow does for overflows.
void note_outside(RegionLayout& layout, const Section* section, const Unit* unit, int place) {
    for (auto it = layout.outside.rbegin(); it != layout.outside.rend() && it->section == section; ++it) {
        if (it->place == place) {
            it->units.push_back(unit);
            return;
        }
    }
    layout.outside.push_back(RegionOutside{section, place, {unit}});
}

}  // namespace

int region_place(const std::vector<Region>& regions, int64_t address) {
    const int held = region_at(regions, address);
    if (held != NO_REGION) return held;
    int above = NO_REGION;
    for (std::size_t r = 0; r < regions.size(); ++r) {
        if (regions[r].start > address && (above == NO_REGION || regions[r].start < regions[std::size_t(above)].start)) {
            above = int(r);
        }
    }
    const int count = int(regions.size());
    return above == NO_REGION ? 2 * count : count + above;
}

std::vector<const Section*> sections_by_address(const SectionTable& sections) {
    std::vector<const Section*> ordered;
    for (const Section* section = sections.section_list; section != nullptr; section = section->next) {
        ordered.push_back(section);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Section* a, const Section* b) { return a->order_no < b->order_no; });
    return ordered;
}

RegionLayout lay_out_regions(const SectionTable& sections, const std::vector<Region>& regions) {
    RegionLayout layout;
    layout.sections = sections_by_address(sections);
    const std::size_t unit_count = std::size_t(sections.unit_count > 0 ? sections.unit_count : 0);
    layout.unit_region.assign(unit_count, NO_REGION);
    layout.misfit.assign(unit_count, 0);
    layout.used.assign(regions.size(), 0);
    // Without declared regions there is nothing to fit into: every unit fits.
    if (regions.empty()) return layout;

    for (const Section* section : layout.sections) {
        // The region that the section's units before this one filled, and
        // where they end.
        int run_region = NO_REGION;
        int64_t run_end = 0;
        for (const Unit* unit = section->units; unit != nullptr; unit = unit->next) {
            const int64_t size = unit_size(*unit);
            if (size == 0) continue;
            const int64_t start = unit_address(*unit);
            const int64_t end = start + size;  // exclusive
            const std::size_t no = std::size_t(unit->unit_no);
            int region = region_at(regions, start);
            bool misfit = false;
            if (run_region != NO_REGION && start == run_end && !regions[std::size_t(run_region)].holds(start)) {
                // The run goes on past the end of the region it started in,
                // into a gap or into the region after it.
                region = run_region;
                run_end = end;
                misfit = true;
                note_overflow(layout, section, unit, region, end - (regions[std::size_t(region)].end + 1));
            } else if (region == NO_REGION || regions[std::size_t(region)].ram != (unit->ram != 0 ? 1 : 0)) {
                run_region = NO_REGION;
                misfit = true;
                note_outside(layout, section, unit, region_place(regions, start));
            } else if (end - 1 > regions[std::size_t(region)].end) {
                run_region = region;
                run_end = end;
                misfit = true;
                note_overflow(layout, section, unit, region, end - (regions[std::size_t(region)].end + 1));
            } else {
                // Fits; a unit right after it that starts beyond this region
                // runs past its end all the same.
                run_region = region;
                run_end = end;
            }
            if (no < unit_count) {
                layout.unit_region[no] = region;
                layout.misfit[no] = misfit ? 1 : 0;
            }
            if (region != NO_REGION) layout.used[std::size_t(region)] += size;
        }
    }
    return layout;
}

}  // namespace orv

#include "placement/placement.h"

#include <cstring>
#include <string>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "base/name_hints.h"
#include "base/text_helpers.h"
#include "command/output_names.h"
#include "command/section_info.h"
#include "placement/checksum_places.h"
#include "placement/linker_symbol_values.h"
#include "placement/orphan_sections.h"
#include "placement/placement_steps.h"
#include "placement/region_fit.h"
#include "placement/unit_values.h"

namespace orv {
namespace {

// Error 22: the section, where it ends and by how much it passes the limit.
void explain_program_size(LinkContext& ctx, const char* section, int64_t start, int64_t end,
                          int64_t limit) {
    if (!explaining(ctx)) return;
    const int digits = ctx.options.bank_mode ? 5 : 4;
    const uint64_t overshoot = uint64_t(end - limit);
    print_detail(ctx.console, "section " + std::string(section) + " runs from " +
                                  hex_text(uint64_t(start), digits) + " to " +
                                  hex_text(uint64_t(end - 1), digits) + ", " +
                                  std::to_string(overshoot) + " (" + hex_text(overshoot, 1) +
                                  "H) bytes beyond the last address " +
                                  hex_text(uint64_t(limit - 1), digits));
}

// Error 14: a section named like an option lost the comma before the
// parameters; one that a module has under a close name was likely meant.
void explain_missing_section(LinkContext& ctx, const char* name) {
    if (!explaining(ctx)) return;
    if (name[0] == '-') {
        print_detail(ctx.console, "a comma may be missing before the command parameters");
        return;
    }
    for (const Section* section = ctx.sections.section_list; section != nullptr; section = section->next) {
        if (!likely_meant(name, section->name)) continue;
        print_detail(ctx.console, "did you mean SECTION " + std::string(section->name) + "? (section names keep "
                                  "their letter case, but for z, s, p and r)");
        return;
    }
}

}  // namespace

void allocate_sections(LinkContext& ctx) {
    order_sections(ctx);
    check_section_types(ctx);
    number_sections(ctx);
    build_unit_table(ctx);
    relocate_labels(ctx);
    settle_linker_symbols(ctx);
    // Findings of the region checks and of checksums at labels name their
    // source lines once pass 2 has read the tables: they wait until then
    // (release_placement_findings), unless there are none.
    const std::size_t listed = ctx.findings.entries().size();
    const bool hold = findings_name_lines(ctx);
    if (hold) {
        close_finding(ctx.console);
        hold_findings(ctx.console);
    }
    check_region_fit(ctx);
    place_checksums(ctx);
    if (hold && ctx.findings.entries().size() == listed) ctx.findings.stop_holding();
    // The output files appear only now, so that a link that stopped earlier
    // leaves none behind.
    open_output_files(ctx);
}

void order_sections(LinkContext& ctx) {
    PlacementState state(ctx.sections);
    const std::vector<SecInfoEntry>& sec_info = ctx.command.sec_info;
    for (std::size_t i = 0; i < sec_info.size(); ++i) {
        Section* section = ctx.sections.find_section(sec_info[i].name);
        if (section == nullptr) {
            // A listed section that no module defines: reported, and the
            // remaining sections are still placed.
            ctx.link_failed = 1;
            report_listed(ctx.console, ERR_SECTION_NOT_FOUND, sec_info[i].name);
            explain_missing_section(ctx, sec_info[i].name);
            continue;
        }
        place_section(ctx, *section, static_cast<int>(i), state);
    }
    for (Section* section = ctx.sections.section_list; section != nullptr; section = section->next) {
        if (section->placed) continue;
        place_section(ctx, *section, NO_INFO, state);
        report_orphan_section(ctx, *section);
    }
}

void place_section(LinkContext& ctx, Section& section, int info_index, PlacementState& state) {
    // Only a name that stands twice in the section information reaches a
    // section that is already placed.
    if (section.placed) fail_section_named_twice(ctx, section.name);
    int64_t start = section_start(ctx, section, info_index, state.location);
    state.location = place_units(ctx, section, start, state.location);
    if (!section.overlap) check_overlap(ctx, section, state.placed);
    section.placed = 1;
    // Empty sections and sections whose own units overlap are left out of
    // the overlap checks of the sections after them.
    if (!section.overlap && section.length != 0) state.placed.add(section);
}

int64_t section_start(LinkContext& ctx, const Section& section, int info_index, int64_t location) {
    const Unit& first = *section.units;
    bool absolute = first.abs != 0;
    if (info_index != NO_INFO) {
        const SecInfoEntry& info = ctx.command.sec_info[static_cast<std::size_t>(info_index)];
        if (info.address != NO_ADDRESS) {
            if (absolute) error_exit(ERR_SECTION_ABSOLUTE, section.name);
            return static_cast<uint32_t>(info.address);
        }
        // Listed without an address: the location counter, even for Z and S.
        return absolute ? unit_address(first) : location;
    }
    if (absolute) return unit_address(first);
    if (std::strcmp(section.name, "Z") == 0) return 0;         // zero page
    if (std::strcmp(section.name, "S") == 0) return 0xFF00;    // special page
    return location;
}

int64_t place_units(LinkContext& ctx, Section& section, int64_t start, int64_t location) {
    const int64_t limit = int64_t(ctx.options.max_address) + 1;
    // In the bank layout the section E may stand empty; it then takes no
    // room at all.
    const bool empty_extend_area = ctx.options.bank_mode && std::strcmp(section.name, "E") == 0;
    int64_t addr = start;
    int64_t highest = 0;
    int64_t first_start = 0;
    bool overflow = false;
    bool relocatable_seen = false;
    // The unit placed last, which ends at `addr`.
    const Unit* previous = nullptr;
    int64_t previous_start = 0;
    for (Unit* unit = section.units; unit != nullptr; unit = unit->next) {
        const bool first = unit == section.units;
        if (empty_extend_area && unit->size == 0) {
            section.length = 0;
            return location;
        }
        if (unit->abs) {
            const int64_t own = unit_address(*unit);
            if (addr > own) {
                // With -A absolute units may overlap each other, as long as
                // no relocatable unit came before and the unit does not reach
                // below the section's start.
                bool tolerated = ctx.options.opt_absolute_overlap && !relocatable_seen &&
                                 (first || own >= first_start);
                if (!tolerated) {
                    report_overlap(ctx, {section.name, unit, own, own + unit_size(*unit)},
                                   {section.name, previous, previous_start, addr});
                    section.overlap = 1;
                }
            }
            addr = own;
        } else {
            relocatable_seen = true;
        }
        if (first) first_start = addr;
        previous = unit;
        previous_start = addr;
        unit->address = to_field(addr);
        addr += unit_size(*unit);
        if (addr > limit) overflow = true;
        if (addr > highest) highest = addr;
    }
    if (overflow) {
        ctx.link_failed = 1;
        report_listed(ctx.console, ERR_PROGRAM_SIZE);
        explain_program_size(ctx, section.name, first_start, highest, limit);
    }
    section.length = section.overlap ? 0 : to_field(highest - first_start);
    return highest;
}

}  // namespace orv

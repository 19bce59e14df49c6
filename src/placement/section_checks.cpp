#include <algorithm>
#include <vector>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "base/text_helpers.h"
#include "pass1/unit_place.h"
#include "placement/placement_steps.h"
#include "placement/unit_values.h"

namespace orv {
namespace {

const char* kind_of(const Unit& unit) { return unit.ram ? "RAM" : "ROM"; }

// Error 23 points at the unit whose attribute differs; --explain names it
// and the unit that gave the section its attribute.
void explain_section_type(LinkContext& ctx, const Unit& first, const Unit& unit) {
    const uint32_t address = uint32_t(unit.address);
    place_finding(ctx.console, unit_place(unit, address));
    relate_finding(ctx.console, {std::string("the first ") + kind_of(first) + " part of the section",
                                 unit_place(first, uint32_t(first.address))});
    if (!explaining(ctx)) return;
    print_detail(ctx.console, "module " + module_name(unit.file_name, unit.member_name) + ", section " +
                                  unit.section_name + ", address " + hex_text(address, 4) + ": its part is " +
                                  kind_of(unit) + ", the part of " + module_name(first.file_name, first.member_name) +
                                  " at " + hex_text(uint32_t(first.address), 4) + " is " + kind_of(first));
}

}  // namespace

// A section is ROM or RAM as a whole. Empty ROM units carry no attribute of
// their own (an assembler emits them for sections a module only names), so
// they take the section's.
void check_section_types(LinkContext& ctx) {
    for (Section* section = ctx.sections.section_list; section != nullptr; section = section->next) {
        int type = -1;  // undetermined
        const Unit* first_typed = nullptr;  // the unit that set the type
        bool mismatch = false;
        for (const Unit* unit = section->units; unit != nullptr; unit = unit->next) {
            if (unit->ram == 0 && unit->size == 0) continue;
            if (type < 0) {
                first_typed = unit;
                type = unit->ram;
            } else if (unit->ram != type) {
                mismatch = true;
                report_listed(ctx.console, ERR_SECTION_TYPE, section->name);
                ++ctx.warnings_listed;
                explain_section_type(ctx, *first_typed, *unit);
            }
        }
        if (type < 0) type = 0;
        // After a mismatch every unit keeps its own attribute.
        if (mismatch) continue;
        for (Unit* unit = section->units; unit != nullptr; unit = unit->next) {
            unit->ram = static_cast<uint8_t>(type);
        }
    }
}

// Ascending start address of each section's first unit; equal addresses keep
// the order of first appearance.
void number_sections(LinkContext& ctx) {
    std::vector<Section*> by_address;
    for (Section* section = ctx.sections.section_list; section != nullptr; section = section->next) {
        by_address.push_back(section);
    }
    std::stable_sort(by_address.begin(), by_address.end(), [](const Section* a, const Section* b) {
        return unit_address(*a->units) < unit_address(*b->units);
    });
    int order_no = 1;
    for (Section* section : by_address) section->order_no = order_no++;
}

void build_unit_table(LinkContext& ctx) {
    SectionTable& table = ctx.sections;
    const std::size_t count = table.unit_count > 0 ? static_cast<std::size_t>(table.unit_count) : 0;
    table.unit_table.assign(count, nullptr);
    for (Section* section = table.section_list; section != nullptr; section = section->next) {
        for (Unit* unit = section->units; unit != nullptr; unit = unit->next) {
            if (unit->unit_no < 0 || static_cast<std::size_t>(unit->unit_no) >= count) continue;
            Unit*& slot = table.unit_table[static_cast<std::size_t>(unit->unit_no)];
            if (slot == nullptr) slot = unit;
        }
    }
    for (const Unit* unit : table.unit_table) {
        if (unit == nullptr) internal_error("24");
    }
}

void relocate_labels(LinkContext& ctx) {
    const std::vector<Unit*>& units = ctx.sections.unit_table;
    for (std::size_t i = 0; i < ctx.symbols.size(); ++i) {
        SymbolEntry& entry = ctx.symbols.entry(i);
        if (entry.kind != SYM_LABEL) continue;
        // A label of a unit that no section holds cannot get an address.
        if (entry.unit_no < 0 || static_cast<std::size_t>(entry.unit_no) >= units.size()) {
            internal_error("24");
        }
        const Unit& unit = *units[static_cast<std::size_t>(entry.unit_no)];
        if (unit.abs == 0) {
            entry.value = to_field(int64_t(static_cast<uint32_t>(entry.value)) + unit_address(unit));
        }
    }
}

}  // namespace orv

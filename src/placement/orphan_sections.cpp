#include "placement/orphan_sections.h"

#include <cstring>
#include <string>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "pass1/unit_place.h"
#include "placement/unit_values.h"

namespace orv {
namespace {

bool same_module(const Unit& a, const Unit& b) {
    if (std::strcmp(a.file_name, b.file_name) != 0) return false;
    if ((a.member_name == nullptr) != (b.member_name == nullptr)) return false;
    return a.member_name == nullptr || std::strcmp(a.member_name, b.member_name) == 0;
}

// The modules of the section's units, as the overlap message names a unit:
// FILE, or LIBRARY ( MODULE ), separated by commas.
std::string contributing_modules(const Section& section) {
    std::string text;
    const Unit* previous = nullptr;
    for (const Unit* unit = section.units; unit != nullptr; unit = unit->next) {
        if (previous != nullptr && same_module(*previous, *unit)) continue;
        if (previous != nullptr) text += ", ";
        text += unit->file_name;
        if (unit->member_name != nullptr) text += std::string(" ( ") + unit->member_name + " )";
        previous = unit;
    }
    return text;
}

}  // namespace

void report_orphan_section(LinkContext& ctx, const Section& section) {
    const OrphanHandling handling = ctx.options.orphan_handling;
    if (handling == OrphanHandling::PLACE || section.units->abs != 0) return;
    if (std::strcmp(section.name, "Z") == 0 || std::strcmp(section.name, "S") == 0) return;
    report_listed(ctx.console, ERR_ORPHAN_SECTION, section.name,
                  static_cast<unsigned long>(unit_address(*section.units)), contributing_modules(section).c_str());
    place_finding(ctx.console, unit_place(*section.units, uint32_t(unit_address(*section.units))));
    if (handling == OrphanHandling::ERROR) {
        ctx.link_failed = 1;
    } else {
        ++ctx.warnings_listed;
        mark_finding_warning(ctx.console);
    }
}

}  // namespace orv

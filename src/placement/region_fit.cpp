#include "placement/region_fit.h"

#include <algorithm>
#include <climits>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "pass1/unit_place.h"
#include "placement/region_contributors.h"
#include "placement/region_layout.h"
#include "placement/unit_values.h"

namespace orv {
namespace {

// As many modules as a reader takes in at a glance.
constexpr std::size_t CONTRIBUTORS_SHOWN = 5;

// The continuation lines stand under the message text, as in the catalogue's
// two-line messages.
constexpr const char* INDENT = "             ";

void list_contributor(LinkContext& ctx, const std::string& module, int64_t bytes) {
    report_listed_more(ctx.console, "%s%-24s %6lld bytes\n", INDENT, module.c_str(), static_cast<long long>(bytes));
    FindingPlace place;
    place.module = module;
    relate_finding(ctx.console, {"contributor " + module + ": " + std::to_string(bytes) + " bytes", std::move(place)});
}

void report_overflows(LinkContext& ctx, const RegionLayout& layout, int region_no) {
    const Region& region = ctx.regions.regions[std::size_t(region_no)];
    bool found = false;
    for (const RegionOverflow& overflow : layout.overflows) {
        if (overflow.region != region_no) continue;
        found = true;
        ctx.link_failed = 1;
        report_listed(ctx.console, ERR_REGION_OVERFLOW, overflow.section->name, region.name.c_str(),
                      int(std::min<int64_t>(overflow.bytes, INT_MAX)));
        const Unit& first = *overflow.section->units;
        place_finding(ctx.console, unit_place(first, uint32_t(first.address)));
    }
    if (!found) return;
    report_listed_more(ctx.console, "%sregion %s %04llX-%04llX holds %lld of %lld bytes; largest contributors:\n",
                       INDENT, region.name.c_str(), static_cast<unsigned long long>(region.start),
                       static_cast<unsigned long long>(region.end),
                       static_cast<long long>(layout.used[std::size_t(region_no)]),
                       static_cast<long long>(region.size()));
    for (const Contribution& module : largest_contributors(layout, region_no, CONTRIBUTORS_SHOWN)) {
        list_contributor(ctx, module.module, module.bytes);
    }
}

}  // namespace

void check_region_fit(LinkContext& ctx) {
    if (ctx.regions.regions.empty()) return;
    RegionLayout layout = lay_out_regions(ctx.sections, ctx.regions.regions);
    for (std::size_t r = 0; r < ctx.regions.regions.size(); ++r) report_overflows(ctx, layout, int(r));
    for (const Unit* unit : layout.outside) {
        ctx.link_failed = 1;
        report_listed(ctx.console, ERR_OUTSIDE_REGIONS, unit->section_name,
                      static_cast<unsigned long>(static_cast<uint32_t>(unit->address)), unit->ram ? "RAM" : "ROM");
        place_finding(ctx.console, unit_place(*unit, uint32_t(unit->address)));
        list_contributor(ctx, module_label(*unit), unit_size(*unit));
    }
}

}  // namespace orv

#include "placement/region_fit.h"

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "base/text_helpers.h"
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

void list_contributor(LinkContext& ctx, const Contribution& contribution) {
    std::string label = contribution.module;
    if (contribution.modules > 0) label += ", " + std::to_string(contribution.modules) + " modules";
    report_listed_more(ctx.console, "%s%-24s %6lld %s\n", INDENT, label.c_str(),
                       static_cast<long long>(contribution.bytes), contribution.bytes == 1 ? "byte" : "bytes");
    FindingPlace place;
    place.module = contribution.module;
    std::string what = "contributor " + contribution.module + ": " + byte_count(contribution.bytes);
    if (contribution.modules > 0) what += " in " + std::to_string(contribution.modules) + " modules";
    relate_finding(ctx.console, {std::move(what), std::move(place)});
}

void list_contributors(LinkContext& ctx, const std::vector<const Unit*>& units) {
    for (const Contribution& contribution : contributors_of(units, CONTRIBUTORS_SHOWN)) {
        list_contributor(ctx, contribution);
    }
}

void report_overflows(LinkContext& ctx, const RegionLayout& layout, int region_no) {
    const Region& region = ctx.regions.regions[std::size_t(region_no)];
    bool found = false;
    for (const RegionOverflow& overflow : layout.overflows) {
        if (overflow.region != region_no) continue;
        found = true;
        ctx.link_failed = 1;
        report_listed(ctx.console, ERR_REGION_OVERFLOW, overflow.section->name, region.name.c_str(),
                      byte_count(overflow.bytes).c_str());
        place_finding(ctx.console, unit_place(*overflow.first, uint32_t(overflow.first->address)));
    }
    if (!found) return;
    report_listed_more(ctx.console, "%sregion %s %04llX-%04llX holds %lld of %s; largest contributors:\n",
                       INDENT, region.name.c_str(), static_cast<unsigned long long>(region.start),
                       static_cast<unsigned long long>(region.end),
                       static_cast<long long>(layout.used[std::size_t(region_no)]), byte_count(region.size()).c_str());
    list_contributors(ctx, units_in_region(layout, region_no));
}

}  // namespace

void check_region_fit(LinkContext& ctx) {
    if (ctx.regions.regions.empty()) return;
    RegionLayout layout = lay_out_regions(ctx.sections, ctx.regions.regions);
    for (std::size_t r = 0; r < ctx.regions.regions.size(); ++r) report_overflows(ctx, layout, int(r));
    for (const RegionOutside& outside : layout.outside) {
        const Unit& first = *outside.units.front();
        ctx.link_failed = 1;
        report_listed(ctx.console, ERR_OUTSIDE_REGIONS, first.section_name,
                      static_cast<unsigned long>(static_cast<uint32_t>(first.address)), first.ram ? "RAM" : "ROM");
        place_finding(ctx.console, unit_place(first, uint32_t(first.address)));
        list_contributors(ctx, outside.units);
    }
}

}  // namespace orv

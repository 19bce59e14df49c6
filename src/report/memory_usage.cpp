#include "report/memory_usage.h"

#include <algorithm>
#include <utility>

#include "base/link_context.h"
#include "placement/unit_values.h"

namespace orv {
namespace {

using Span = std::pair<int64_t, int64_t>;  // [first, end)

// Every address that a unit with bytes occupies, as sorted disjoint spans.
std::vector<Span> occupied_spans(const SectionTable& sections) {
    std::vector<Span> spans;
    for (const Section* section = sections.section_list; section != nullptr; section = section->next) {
        for (const Unit* unit = section->units; unit != nullptr; unit = unit->next) {
            if (unit_size(*unit) == 0) continue;
            spans.emplace_back(unit_address(*unit), unit_address(*unit) + unit_size(*unit));
        }
    }
    std::sort(spans.begin(), spans.end());
    std::vector<Span> merged;
    for (const Span& span : spans) {
        if (!merged.empty() && span.first <= merged.back().second) {
            merged.back().second = std::max(merged.back().second, span.second);
        } else {
            merged.push_back(span);
        }
    }
    return merged;
}

// Free bytes of the row's range and its largest free block.
void measure_free(UsageRow& row, const std::vector<Span>& occupied) {
    const int64_t end = row.end + 1;
    int64_t cursor = row.start;
    row.free = 0;
    row.largest_free_start = row.start;
    row.largest_free_length = 0;
    auto note_gap = [&](int64_t from, int64_t to) {
        if (to <= from) return;
        row.free += to - from;
        if (to - from > row.largest_free_length) {
            row.largest_free_start = from;
            row.largest_free_length = to - from;
        }
    };
    auto first = std::lower_bound(occupied.begin(), occupied.end(), Span{row.start, row.start},
                                  [](const Span& a, const Span& b) { return a.second <= b.first; });
    for (auto it = first; it != occupied.end() && it->first < end; ++it) {
        note_gap(cursor, std::min(it->first, end));
        cursor = std::max(cursor, it->second);
    }
    note_gap(cursor, end);
}

// Bytes of the units of the kind whose first byte lies in the fixed range.
int64_t used_from(const SectionTable& sections, int64_t start, int64_t end, int kind) {
    int64_t used = 0;
    for (const Section* section = sections.section_list; section != nullptr; section = section->next) {
        for (const Unit* unit = section->units; unit != nullptr; unit = unit->next) {
            const int64_t address = unit_address(*unit);
            if (address < start || address > end) continue;
            if (kind != ANY_KIND && (unit->ram != 0 ? 1 : 0) != kind) continue;
            used += unit_size(*unit);
        }
    }
    return used;
}

UsageRow fixed_row(const SectionTable& sections, const char* name, int kind, int64_t start, int64_t end) {
    return UsageRow{name, kind, start, end, used_from(sections, start, end, kind), 0, 0, 0, false, false};
}

}  // namespace

std::vector<UsageRow> memory_usage_rows(const LinkContext& ctx, const RegionLayout& layout) {
    std::vector<UsageRow> rows;
    const std::vector<Region>& regions = ctx.regions.regions;
    if (!regions.empty()) {
        for (std::size_t r = 0; r < regions.size(); ++r) {
            const Region& region = regions[r];
            UsageRow row{region.name, region.ram, region.start, region.end, layout.used[r], 0, 0, 0, true, false};
            for (std::size_t no = 0; no < layout.unit_region.size(); ++no) {
                if (layout.unit_region[no] == int(r) && layout.misfit[no]) row.misfit = true;
            }
            rows.push_back(row);
        }
    } else {
        const SectionTable& sections = ctx.sections;
        rows.push_back(fixed_row(sections, "ZERO_PAGE", ANY_KIND, 0x0000, 0x00FF));
        rows.push_back(fixed_row(sections, "SPECIAL_PAGE", ANY_KIND, 0xFF00, 0xFFFF));
        rows.push_back(fixed_row(sections, "ROM_BANK0", 0, 0, BANK_SIZE - 1));
        rows.push_back(fixed_row(sections, "RAM_BANK0", 1, 0, BANK_SIZE - 1));
        if (ctx.options.bank_mode) {
            rows.push_back(fixed_row(sections, "ROM_BANK1", 0, BANK_SIZE, 2 * BANK_SIZE - 1));
            rows.push_back(fixed_row(sections, "RAM_BANK1", 1, BANK_SIZE, 2 * BANK_SIZE - 1));
        }
    }
    const std::vector<Span> occupied = occupied_spans(ctx.sections);
    for (UsageRow& row : rows) measure_free(row, occupied);
    return rows;
}

LinkTotals link_totals(const LinkContext& ctx) {
    LinkTotals totals;
    for (const Section* section = ctx.sections.section_list; section != nullptr; section = section->next) {
        (section->units->ram == 0 ? totals.rom : totals.ram) += section_length(*section);
    }
    return totals;
}

}  // namespace orv

#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "placement/region_layout.h"

namespace orv {

struct LinkContext;

constexpr int ANY_KIND = -1;

// One row of the memory usage: a declared region, or, when none is declared,
// one of the fixed ranges (the zero page, the special page, and the ROM and
// RAM of each 64 KiB bank).
struct UsageRow {
    std::string name;
    int kind;              // 0 ROM, 1 RAM, ANY_KIND for a page
    int64_t start;
    int64_t end;           // inclusive
    int64_t used;          // bytes of the units inside, not the span they cover
    int64_t free;          // addresses no unit occupies
    int64_t largest_free_start;
    int64_t largest_free_length;
    bool declared;
    bool misfit;           // a unit in it breaks a fit rule

    int64_t size() const { return end - start + 1; }
};

// Bank size of the address space; with -BANK there are two banks.
constexpr int64_t BANK_SIZE = 0x10000;

// The rows in declaration order, or the fixed rows.
std::vector<UsageRow> memory_usage_rows(const LinkContext& ctx, const RegionLayout& layout);

// The total ROM and RAM sizes as the finish prints them.
struct LinkTotals {
    int64_t rom = 0;
    int64_t ram = 0;
};
LinkTotals link_totals(const LinkContext& ctx);

}  // namespace orv

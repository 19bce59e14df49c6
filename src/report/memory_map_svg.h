#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "placement/region_layout.h"
#include "report/markup.h"
#include "report/module_colours.h"

namespace orv {

struct LinkContext;

// Addresses as the map file shows them: four hexadecimal digits, five with -BANK.
std::string hex_address(int64_t address, bool bank_mode);

// The inline SVG of one 64 KiB bank: an overview bar to scale, and below it
// the bank's blocks (units coloured by module, free stretches with their
// bytes) with the regions outlined and what does not fit marked in red.
// Every block carries its tooltip. `units` are the bank's units by address.
void draw_bank(Markup& markup, const LinkContext& ctx, const RegionLayout& layout, const ModuleColours& colours,
               int bank, const std::vector<const Unit*>& units);

}  // namespace orv

#pragma once
#include <string>
#include <vector>

#include "placement/region_layout.h"
#include "report/memory_usage.h"
#include "report/report_file.h"

namespace orv {

struct LinkContext;

// The picture of the memory map as one self-contained XHTML page: per bank
// an address bar in inline SVG, then the modules by size and the regions
// with their use. No scripts, no external styles, fonts or images.
void write_memory_map(ReportFile& file, const LinkContext& ctx, const RegionLayout& layout,
                      const std::vector<UsageRow>& rows);

}  // namespace orv

#pragma once
#include <string>
#include <vector>

#include "placement/region_layout.h"
#include "report/memory_usage.h"
#include "report/report_file.h"

namespace orv {

struct LinkContext;

// The JSON link report (docs/link-report.md): the command, the output files,
// the regions' use, sections, units, global names, library modules taken in,
// the functions of the debug records, libraries' totals, totals, the listed findings and the exit status of the run.
void write_link_report(ReportFile& file, const LinkContext& ctx, const RegionLayout& layout,
                       const std::vector<UsageRow>& rows);

// The report format's version; it grows when a member changes meaning or goes.
constexpr int LINK_REPORT_VERSION = 2;

}  // namespace orv

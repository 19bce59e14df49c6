#include "report/finish_reports.h"

#include <cstdio>

#include "base/link_context.h"
#include "placement/region_layout.h"
#include "report/link_report.h"
#include "report/memory_map.h"
#include "report/memory_usage.h"
#include "report/memory_usage_table.h"
#include "report/report_file.h"

namespace orv {

void finish_reports(LinkContext& ctx) {
    const Options& options = ctx.options;
    if (!options.print_memory_usage && options.link_report == nullptr && options.memory_map == nullptr) return;
    const RegionLayout layout = lay_out_regions(ctx.sections, ctx.regions.regions);
    const std::vector<UsageRow> rows = memory_usage_rows(ctx, layout);
    if (options.print_memory_usage) print_memory_usage(ctx.console.out, rows);
    if (options.memory_map != nullptr) {
        ReportFile file(options.memory_map, ctx.output);
        write_memory_map(file, ctx, layout, rows);
        file.close();
    }
    if (options.link_report != nullptr) {
        ReportFile file(options.link_report, ctx.output);
        write_link_report(file, ctx, layout, rows);
        file.close();
    }
}

}  // namespace orv

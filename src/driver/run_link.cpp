#include "driver/run_link.h"

#include <new>

#include "driver/banner.h"
#include "driver/diagnostics.h"
#include "driver/link_context.h"
#include "output/finish.h"
#include "pass2/pass2.h"
#include "placement/placement.h"

namespace orv {

namespace {

int run_phases(LinkContext& ctx, const std::vector<std::string>& args) {
    try {
        LinkStats& stats = ctx.stats;
        // Start-up: the pools and the address limit.
        { PhaseTimer timer(stats, Phase::START_UP); init_linker(ctx); }
        // Command input: fields, banner, options, file lists, section information, output names.
        { PhaseTimer timer(stats, Phase::COMMAND); get_command(ctx, args); }
        // Pass 1: modules' sections and names, library modules until every name is defined.
        { PhaseTimer timer(stats, Phase::PASS1); pass1(ctx); }
        // Placement: addresses of every section and unit; the output files are created.
        { PhaseTimer timer(stats, Phase::PLACEMENT); allocate_sections(ctx); }
        // Pass 2: contents relocated and streamed into the HEX file.
        { PhaseTimer timer(stats, Phase::PASS2); pass2(ctx); }
        // Finish: totals, map and symbol files, exit status of the findings.
        { PhaseTimer timer(stats, Phase::FINISH); finish(ctx); }
        return 0;
    } catch (const LinkError& error) {
        return report_fatal(ctx.console, error);
    } catch (const std::bad_alloc&) {
        return report_fatal(ctx.console, LinkError(ERR_OUT_OF_HEAP, {}));
    }
}

}  // namespace

int run_link(LinkContext& ctx, const std::vector<std::string>& args) {
    int status = run_phases(ctx, args);
    // After the run, whatever its end: the figures describe what was done.
    print_stats(ctx);
    return status;
}

}  // namespace orv

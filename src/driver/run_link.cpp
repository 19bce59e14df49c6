#include "driver/run_link.h"

#include <new>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "command/banner.h"
#include "command/command_input.h"
#include "command/output_collisions.h"
#include "command/output_names.h"
#include "library/why_extract.h"
#include "output/dependency_file.h"
#include "output/finish.h"
#include "output/flash_image.h"
#include "pass1/input_faults.h"
#include "pass1/pass1.h"
#include "pass2/pass2.h"
#include "pass2/range_explain.h"
#include "placement/placement.h"
#include "report/sarif_log.h"
#include "platform/staged_files.h"
#include "platform/program_arguments.h"

namespace orv {
namespace {

// The input a fatal error was found in, for the GNU form and the SARIF log:
// the file being read, for the errors of a damaged or unreadable input.
FindingPlace fatal_place(const LinkContext& ctx, const LinkError& error) {
    FindingPlace place;
    switch (error.number()) {
    case ERR_INTERNAL:
    case ERR_FORMAT_MISMATCH:
    case ERR_SEEK:
    case ERR_EXTEND_AREA:
        if (ctx.reader.current_file != nullptr) place.file = ctx.reader.current_file;
        break;
    default:
        break;
    }
    return place;
}

void link_phases(LinkContext& ctx, const std::vector<std::string>& args) {
    LinkStats& stats = ctx.stats;
    // Start-up: the pools and the address limit.
    { PhaseTimer timer(stats, Phase::START_UP); init_linker(ctx); }
    // Command input: fields, banner, options, file lists, section information, output names.
    { PhaseTimer timer(stats, Phase::COMMAND); get_command(ctx, args); }
    // Pass 1: modules' sections and names, library modules until every name is defined;
    // no output may be an input or another output; with --why-extract, why each library
    // module was taken in.
    { PhaseTimer timer(stats, Phase::PASS1); pass1(ctx); check_output_collisions(ctx); write_why_extract(ctx); }
    // The input set is final: the dependency file, when asked for.
    write_dependency_file(ctx);
    // Placement: addresses of every section and unit; the output files are created.
    { PhaseTimer timer(stats, Phase::PLACEMENT); allocate_sections(ctx); }
    // Pass 2: contents relocated and streamed into the HEX file.
    { PhaseTimer timer(stats, Phase::PASS2); pass2(ctx); }
    // Finish: with an image option, the fill and the checksums into the image;
    // then totals, map and symbol files, image files, exit status of the findings.
    { PhaseTimer timer(stats, Phase::FINISH); complete_flash_image(ctx); finish(ctx); }
}

// Runs `run` with every fatal error reported here. Every allocation of a
// run happens inside; the handlers themselves allocate nothing, so running
// out of memory is reported as error 2 like any other fatal error.
template <typename Run>
int run_reporting(LinkContext& ctx, Run&& run) {
    int status = 0;
    try {
        run();
    } catch (LinkError& error) {
        // The explanation is extra: without the memory for it, the message
        // alone is reported.
        try {
            // A run of range findings ends with the fatal error.
            if (!error.is_silent()) end_range_findings(ctx);
            explain_fatal(ctx, error);
        } catch (const std::bad_alloc&) {
        }
        status = report_fatal(ctx.console, error, fatal_place(ctx, error));
    } catch (const std::bad_alloc&) {
        status = report_fatal(ctx.console, LinkError(ERR_OUT_OF_HEAP, {}));
    }
    close_finding(ctx.console);
    // With --sarif, whatever the end: the log holds every message printed,
    // and takes its name with the other output files.
    try {
        write_sarif_log(ctx, status);
    } catch (LinkError& error) {
        if (!explaining(ctx)) error.drop_details();
        status = report_fatal(ctx.console, error);
    } catch (const std::bad_alloc&) {
        status = report_fatal(ctx.console, LinkError(ERR_OUT_OF_HEAP, {}));
    }
    // The output files take their final names only now, as far as they were
    // written, or go with --delete-on-error when the run failed.
    try {
        std::string failed_name;
        if (!settle_output_files(ctx, status, failed_name)) {
            LinkError error = cant_create_error(failed_name, ctx.output.place_failure);
            if (!explaining(ctx)) error.drop_details();
            status = report_fatal(ctx.console, error);
        }
    } catch (const std::bad_alloc&) {
        status = report_fatal(ctx.console, LinkError(ERR_OUT_OF_HEAP, {}));
    }
    // A temporary still there was never placed (memory ran out on its way):
    // it goes, so that no run leaves one behind.
    remove_staged_temporaries();
    // With --stats, whatever the end: the figures describe what was done.
    print_stats(ctx);
    return settle_console(ctx.console, status);
}

}  // namespace

int run_link(LinkContext& ctx, const std::vector<std::string>& args) {
    return run_reporting(ctx, [&] { link_phases(ctx, args); });
}

int run_link(LinkContext& ctx, int argc, char** argv) {
    return run_reporting(ctx, [&] {
        const std::vector<std::string> args = program_arguments(argc, argv);
        link_phases(ctx, args);
    });
}

}  // namespace orv

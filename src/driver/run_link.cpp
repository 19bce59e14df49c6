#include "driver/run_link.h"

#include <new>

#include "driver/banner.h"
#include "driver/diagnostics.h"
#include "driver/link_context.h"
#include "output/dependency_file.h"
#include "output/finish.h"
#include "pass2/pass2.h"
#include "placement/output_names.h"
#include "placement/placement.h"

namespace orv {
namespace {

int link(LinkContext& ctx, const std::vector<std::string>& args) {
    try {
        // Start-up: the pools and the address limit.
        init_linker(ctx);
        // Command input: fields, banner, options, file lists, section information, output names.
        get_command(ctx, args);
        // Pass 1: modules' sections and names, library modules until every name is defined.
        pass1(ctx);
        // The input set is final: the dependency file, when asked for.
        write_dependency_file(ctx);
        // Placement: addresses of every section and unit; the output files are created.
        allocate_sections(ctx);
        // Pass 2: contents relocated and streamed into the HEX file.
        pass2(ctx);
        // Finish: totals, map and symbol files, exit status of the findings.
        finish(ctx);
        return 0;
    } catch (const LinkError& error) {
        return report_fatal(ctx.console, error);
    } catch (const std::bad_alloc&) {
        return report_fatal(ctx.console, LinkError(ERR_OUT_OF_HEAP, {}));
    }
}

}  // namespace

int run_link(LinkContext& ctx, const std::vector<std::string>& args) {
    int status = link(ctx, args);
    // The output files take their final names only now, as far as they were
    // written, or go with --delete-on-error when the run failed.
    std::string failed_name;
    if (!settle_output_files(ctx, status, failed_name)) {
        return report_fatal(ctx.console, LinkError(ERR_CANT_CREATE, failed_name));
    }
    return status;
}

}  // namespace orv

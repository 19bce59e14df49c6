#include "driver/run_link.h"

#include <new>

#include "driver/banner.h"
#include "driver/diagnostics.h"
#include "driver/explain.h"
#include "driver/link_context.h"
#include "output/finish.h"
#include "output/why_extract.h"
#include "pass2/pass2.h"
#include "placement/placement.h"

namespace orv {

int run_link(LinkContext& ctx, const std::vector<std::string>& args) {
    try {
        // Start-up: the pools and the address limit.
        init_linker(ctx);
        // Command input: fields, banner, options, file lists, section information, output names.
        get_command(ctx, args);
        // Pass 1: modules' sections and names, library modules until every name is defined.
        pass1(ctx);
        // With --why-extract: why each library module was taken in.
        write_why_extract(ctx);
        // Placement: addresses of every section and unit; the output files are created.
        allocate_sections(ctx);
        // Pass 2: contents relocated and streamed into the HEX file.
        pass2(ctx);
        // Finish: totals, map and symbol files, exit status of the findings.
        finish(ctx);
        return 0;
    } catch (LinkError& error) {
        explain_fatal(ctx, error);
        return report_fatal(ctx.console, error);
    } catch (const std::bad_alloc&) {
        return report_fatal(ctx.console, LinkError(ERR_OUT_OF_HEAP, {}));
    }
}

}  // namespace orv

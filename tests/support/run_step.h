#pragma once
#include <functional>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "command/output_names.h"

namespace orv::test {

// Runs one phase or step in-process as the driver would: 0 when it returns,
// else the status its fatal error is reported with. The output files created
// so far then stand under their final names, as at the end of a run.
inline int run_step(LinkContext& ctx, const std::function<void()>& step) {
    int status = 0;
    try {
        step();
    } catch (LinkError& error) {
        // As the driver does: the lines of --explain only with the option.
        if (!explaining(ctx)) error.drop_details();
        status = report_fatal(ctx.console, error);
    }
    std::string failed_name;
    place_output_files(ctx, failed_name);
    return status;
}

}  // namespace orv::test

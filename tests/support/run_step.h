#pragma once
#include <functional>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "command/output_names.h"

namespace orv::test {

// Runs one phase or step in-process as the driver would: 0 when it returns,
// else the status its fatal error is reported with. A failed step ends the
// run: the output streams are closed, and the files created so far stand
// under their final names, as at the end of a run. So do they after a step
// that leaves no stream open (the finish closes them). While a stream is
// open its file keeps its temporary name: Windows cannot rename an open file.
inline int run_step(LinkContext& ctx, const std::function<void()>& step) {
    int status = 0;
    try {
        step();
    } catch (LinkError& error) {
        // As the driver does: the lines of --explain only with the option.
        if (!explaining(ctx)) error.drop_details();
        status = report_fatal(ctx.console, error);
    }
    OutputState& output = ctx.output;
    if (status != 0) {
        for (std::unique_ptr<TextOutput>* stream :
             {&output.hex_file, &output.map_file, &output.sym_file, &output.binary_file, &output.srec_file}) {
            stream->reset();
        }
    }
    if (!output.hex_file && !output.map_file && !output.sym_file && !output.binary_file && !output.srec_file) {
        std::string failed_name;
        place_output_files(ctx, failed_name);
    }
    return status;
}

}  // namespace orv::test

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "driver/run_link.h"
#include "platform/heap_reserve.h"
#include "platform/staged_files.h"

int main(int argc, char** argv) {
    // No file of the run may take the descriptor of a closed console stream.
    if (!orv::fill_closed_standard_descriptors()) return orv::exit_status_of(orv::ERR_CONSOLE_WRITE);
    // An interrupted run leaves no temporary files behind.
    orv::remove_staged_temporaries_on_signals();
    orv::LinkContext ctx;
    // Without the reserve a later shortage could not even be reported.
    if (!orv::take_heap_reserve()) {
        return orv::report_fatal(ctx.console, orv::LinkError(orv::ERR_OUT_OF_HEAP, {}));
    }
    return orv::run_link(ctx, argc, argv);
}

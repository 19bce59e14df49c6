#include "base/progress.h"

#include "base/diagnostics.h"
#include "base/link_context.h"

namespace orv {

void print_progress(LinkContext& ctx, const char* file, const char* member) {
    close_finding(ctx.console);
    if (!ctx.options.quiet_run) print_processing(ctx.console.out, file, member);
}

}  // namespace orv

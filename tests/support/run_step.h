#pragma once
#include <functional>

#include "driver/diagnostics.h"
#include "driver/link_context.h"

namespace orv::test {

// Runs one phase or step in-process as the driver would: 0 when it returns,
// else the status its fatal error is reported with.
inline int run_step(LinkContext& ctx, const std::function<void()>& step) {
    try {
        step();
        return 0;
    } catch (const LinkError& error) {
        return report_fatal(ctx.console, error);
    }
}

}  // namespace orv::test

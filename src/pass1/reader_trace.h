#pragma once
#include <cstdio>

#include "base/link_context.h"

namespace orv {

// With -DEBUG every reader names itself on standard output as it starts.
inline void reader_trace(LinkContext& ctx, const char* line) {
    if (ctx.options.opt_debug) std::fputs(line, ctx.console.out);
}

}  // namespace orv

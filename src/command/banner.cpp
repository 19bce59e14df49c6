#include "command/banner.h"

#include <cstdio>

#include "base/link_context.h"

namespace orv {

// The version is defined once, by the build, for the linker and its tools.
const char* const BANNER_TITLE[3] = {"Orvan Family LINKER ", ORV_VERSION_TEXT, " "};

namespace {

const char* const COPYRIGHT[2] = {
    "\nCopyright (C) 2026 Orvlink developers. All rights reserved.\n",
    "Linker for the Orvan family of 8-bit microcontrollers.\n",
};

}  // namespace

void init_linker(LinkContext& ctx) {
    ctx.pools.str_pool.init();
    ctx.pools.mem_pool.init();
    ctx.options.bank_mode = 0;
    ctx.options.max_address = 0xFFFF;
}

void print_banner(LinkContext& ctx) {
    if (ctx.options.opt_quiet) return;
    for (const char* text : BANNER_TITLE) std::fputs(text, ctx.console.err);
    for (const char* text : COPYRIGHT) std::fputs(text, ctx.console.err);
    std::fputs("\n", ctx.console.err);
}

void print_title_line(std::FILE* stream) {
    for (const char* text : BANNER_TITLE) std::fputs(text, stream);
    std::fputs("\n", stream);
}

void print_version(LinkContext& ctx) { print_title_line(ctx.console.err); }

}  // namespace orv

#include "base/link_stats.h"

#include <cstdio>

#include "base/link_context.h"

namespace orv {
namespace {

const char* const PHASE_NAMES[] = {"start-up", "command input", "pass 1", "placement", "pass 2", "finish"};

}  // namespace

PhaseTimer::~PhaseTimer() {
    std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start_;
    stats_.phase_ms[std::size_t(phase_)] += spent.count();
    stats_.phase_ran[std::size_t(phase_)] = true;
}

void print_stats(const LinkContext& ctx) {
    if (!ctx.options.opt_stats) return;
    const LinkStats& stats = ctx.stats;
    std::FILE* err = ctx.console.err;
    for (std::size_t i = 0; i < std::size_t(Phase::COUNT); ++i) {
        if (stats.phase_ran[i]) std::fprintf(err, "stats: %-27s %10.3f ms\n", PHASE_NAMES[i], stats.phase_ms[i]);
    }
    auto count = [err](const char* what, uint64_t value) {
        std::fprintf(err, "stats: %-27s %10llu\n", what, static_cast<unsigned long long>(value));
    };
    count("input files read", ctx.inputs.files_read());
    count("input bytes read", ctx.inputs.bytes_read());
    count("modules read", stats.modules_read);
    count("library search cycles", stats.search_cycles);
    count("library modules taken in", ctx.library.lib_modules.size());
    count("names in the global table", ctx.symbols.size());
    count("relocation entries applied", stats.relocations_applied);
    count("HEX data bytes written", stats.hex_data_bytes);
    std::fflush(err);
}

}  // namespace orv

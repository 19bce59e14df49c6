#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace orv {

struct LinkContext;

// The phases of a link, in the order the driver runs them.
enum class Phase { START_UP, COMMAND, PASS1, PLACEMENT, PASS2, FINISH, COUNT };

// What --stats reports: the wall time of every phase that ran and the counts
// the tables do not keep themselves. Collected in every link; printed only
// with the option.
struct LinkStats {
    double phase_ms[std::size_t(Phase::COUNT)] = {};
    bool phase_ran[std::size_t(Phase::COUNT)] = {};
    uint64_t modules_read = 0;          // relocatable modules read in pass 1
    uint64_t search_cycles = 0;         // library search cycles started
    uint64_t relocations_applied = 0;   // relocation entries patched into the image
    uint64_t hex_data_bytes = 0;        // bytes that went into HEX data records
};

// Times one phase from construction to destruction, also when the phase ends
// the link with an error.
class PhaseTimer {
public:
    PhaseTimer(LinkStats& stats, Phase phase)
        : stats_(stats), phase_(phase), start_(std::chrono::steady_clock::now()) {}
    ~PhaseTimer();
    PhaseTimer(const PhaseTimer&) = delete;
    PhaseTimer& operator=(const PhaseTimer&) = delete;

private:
    LinkStats& stats_;
    Phase phase_;
    std::chrono::steady_clock::time_point start_;
};

// With --stats, the phase times and counts on standard error.
void print_stats(const LinkContext& ctx);

}  // namespace orv

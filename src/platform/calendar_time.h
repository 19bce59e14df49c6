#pragma once
#include <ctime>

namespace orv {

// Breaks `when` into its calendar parts in local time, with the host's
// thread-safe call (each host spells it differently). The parts stay as they
// are when the host cannot break the instant down.
void local_calendar_time(std::time_t when, std::tm& parts);

}  // namespace orv

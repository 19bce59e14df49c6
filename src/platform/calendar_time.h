#pragma once
#include <ctime>

namespace orv {

// Breaks `when` into its calendar parts, in UTC or in local time, with the
// host's thread-safe call (each host spells it differently).
void calendar_time(std::time_t when, bool utc, std::tm& parts);

}  // namespace orv

#pragma once
#include <string>

namespace orv {

// The date and time of the link in the 25-character asctime form, newline
// included ("Thu Jan  1 00:00:00 1970\n"). When SOURCE_DATE_EPOCH holds a
// decimal number, that instant in UTC replaces the local time, so that two
// links of the same inputs give identical listings.
std::string link_time_text();

}  // namespace orv

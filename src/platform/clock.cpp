#include "platform/clock.h"
#include "platform/calendar_time.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace orv {
namespace {

bool epoch_from_environment(std::time_t& when) {
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (text == nullptr || *text == '\0') return false;
    // Instants after the last second of the year 9999 have no asctime form.
    constexpr long long LATEST = 253402300799LL;
    long long value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + (*p - '0');
        if (value > LATEST) return false;
    }
    when = static_cast<std::time_t>(value);
    return true;
}

}  // namespace

std::string link_time_text() {
    static const char* const DAYS[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t when;
    std::tm parts{};
    if (epoch_from_environment(when)) {
        calendar_time(when, true, parts);
    } else {
        when = std::time(nullptr);
        calendar_time(when, false, parts);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %d\n", DAYS[parts.tm_wday % 7],
                  MONTHS[parts.tm_mon % 12], parts.tm_mday, parts.tm_hour, parts.tm_min,
                  parts.tm_sec, parts.tm_year + 1900);
    return text;
}

}  // namespace orv

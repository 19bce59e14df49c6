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

// The calendar parts of an instant in UTC, worked out here rather than by
// the host, whose range may end long before the year 9999 (Windows' ends in
// 3000).
std::tm utc_parts(std::time_t when) {
    const long long seconds = static_cast<long long>(when);
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    std::tm parts{};
    parts.tm_hour = int(rest / 3600);
    parts.tm_min = int(rest / 60 % 60);
    parts.tm_sec = int(rest % 60);
    parts.tm_wday = int(((days % 7) + 11) % 7);  // 1 January 1970 was a Thursday
    // Days since 1 March of the year 0, in eras of 400 years.
    const long long shifted = days + 719468;
    const long long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const long long day_of_era = shifted - era * 146097;
    const long long year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const long long day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const long long month_from_march = (5 * day_of_year + 2) / 153;
    parts.tm_mday = int(day_of_year - (153 * month_from_march + 2) / 5 + 1);
    parts.tm_mon = int(month_from_march < 10 ? month_from_march + 2 : month_from_march - 10);
    parts.tm_year = int(year_of_era + era * 400 + (parts.tm_mon <= 1 ? 1 : 0) - 1900);
    return parts;
}

}  // namespace

std::string link_time_text() {
    static const char* const DAYS[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t when;
    std::tm parts{};
    if (epoch_from_environment(when)) {
        parts = utc_parts(when);
    } else {
        when = std::time(nullptr);
        local_calendar_time(when, parts);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %d\n", DAYS[parts.tm_wday % 7],
                  MONTHS[parts.tm_mon % 12], parts.tm_mday, parts.tm_hour, parts.tm_min,
                  parts.tm_sec, parts.tm_year + 1900);
    return text;
}

}  // namespace orv

#include "platform/calendar_time.h"

namespace orv {

void calendar_time(std::time_t when, bool utc, std::tm& parts) {
    if (utc) {
        gmtime_s(&parts, &when);
    } else {
        localtime_s(&parts, &when);
    }
}

}  // namespace orv

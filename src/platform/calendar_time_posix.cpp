#include "platform/calendar_time.h"

namespace orv {

void calendar_time(std::time_t when, bool utc, std::tm& parts) {
    if (utc) {
        gmtime_r(&when, &parts);
    } else {
        localtime_r(&when, &parts);
    }
}

}  // namespace orv

#include "platform/calendar_time.h"

namespace orv {

void local_calendar_time(std::time_t when, std::tm& parts) {
    std::tm local{};
    if (localtime_r(&when, &local) != nullptr) parts = local;
}

}  // namespace orv

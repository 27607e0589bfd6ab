// The calendar time of the user's time zone, safe to ask from any thread.
#pragma once

#include <ctime>

namespace tarvex::platform {

std::tm LocalTime(std::time_t seconds);

}  // namespace tarvex::platform

#include "platform/system/local_time.h"

namespace tarvex::platform {

std::tm LocalTime(std::time_t seconds) {
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}

}  // namespace tarvex::platform

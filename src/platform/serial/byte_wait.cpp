#include "platform/serial/byte_wait.h"

namespace tarvex::platform {

ByteWaitEnd WaitForByte(ByteWaitSteps& steps, std::chrono::milliseconds readTimeout,
                        std::uint8_t& byte) {
    for (;;) {
        const auto start = std::chrono::steady_clock::now();
        switch (steps.ReadOne(byte)) {
            case ByteWaitSteps::Read::kByte:
                return ByteWaitEnd::kByte;
            case ByteWaitSteps::Read::kFailed:
                return ByteWaitEnd::kFailed;
            case ByteWaitSteps::Read::kEmpty:
                break;
        }
        if (std::chrono::steady_clock::now() - start >= readTimeout / 2) continue;  // timed out
        if (!steps.PortAnswers()) return ByteWaitEnd::kHungUp;
        if (!steps.Pause(kEarlyEmptyReadPause)) return ByteWaitEnd::kFailed;
    }
}

}  // namespace tarvex::platform

#include "platform/files/sharing_retry_win.h"

namespace tarvex::platform {

HANDLE OpenRetryingWhileShared(const std::function<HANDLE()>& open) {
    constexpr DWORD kPauseMs = 50;
    const ULONGLONG deadline = GetTickCount64() + kSharingRetryMs;
    for (;;) {
        const HANDLE file = open();
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
            GetTickCount64() >= deadline) {
            return file;
        }
        Sleep(kPauseMs);
    }
}

}  // namespace tarvex::platform

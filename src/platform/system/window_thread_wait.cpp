#include "platform/system/window_thread_wait.h"

#include <mutex>

namespace tarvex::platform {

namespace {

std::mutex g_mutex;  // guards the two below
DWORD g_windowThreadId = 0;
WindowThreadWait g_wait = nullptr;

}  // namespace

void SetWindowThreadWait(DWORD windowThreadId, WindowThreadWait wait) {
    std::lock_guard lock(g_mutex);
    g_windowThreadId = wait != nullptr ? windowThreadId : 0;
    g_wait = wait;
}

WindowThreadWait WindowThreadWaitFor(DWORD threadId) {
    std::lock_guard lock(g_mutex);
    return threadId != 0 && threadId == g_windowThreadId ? g_wait : nullptr;
}

}  // namespace tarvex::platform

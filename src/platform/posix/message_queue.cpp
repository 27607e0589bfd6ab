#include "platform/posix/message_queue.h"

#include <algorithm>

#include "platform/posix/kernel_internal.h"
#include "platform/posix/kernel_objects.h"

namespace {

using namespace tarvex::platform::detail;

constexpr std::size_t kQueueLimit = 10000;
const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

bool ValidWindowFilter(HWND window) { return window == nullptr || window == kThreadMessagesOnly; }

bool Matches(const MSG& msg, UINT filterMin, UINT filterMax) {
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

// Called with KernelLock() held on the calling thread's state: the first queued message that
// passes the filter.
std::deque<MSG>::iterator FindMessage(ThreadState& self, UINT filterMin, UINT filterMax) {
    return std::find_if(self.queue.begin(), self.queue.end(),
                        [&](const MSG& msg) { return Matches(msg, filterMin, filterMax); });
}

BOOL GetMessageAnyForm(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg == nullptr || !ValidWindowFilter(window)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    ThreadState& self = CurrentThread();
    std::unique_lock lock(KernelLock());
    CreateCurrentQueue();
    for (;;) {
        self.newInput = false;
        auto it = FindMessage(self, filterMin, filterMax);
        if (it != self.queue.end()) {
            *msg = *it;
            self.queue.erase(it);
            return msg->message == WM_QUIT ? 0 : 1;
        }
        self.wake.wait(lock);
    }
}

}  // namespace

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(KernelLock());
    ThreadState* target = FindQueue(threadId);
    if (target == nullptr) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    if (target->queue.size() >= kQueueLimit) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    target->queue.push_back(MSG{nullptr, message, wParam, lParam, GetTickCount()});
    target->newInput = true;
    target->wake.notify_one();
    return TRUE;
}

BOOL PeekMessageW(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (msg == nullptr || !ValidWindowFilter(window)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ThreadState& self = CurrentThread();
    std::lock_guard lock(KernelLock());
    CreateCurrentQueue();
    self.newInput = false;  // looking at the queue makes everything in it old
    auto it = FindMessage(self, filterMin, filterMax);
    if (it == self.queue.end()) return FALSE;
    *msg = *it;
    if (removeFlags & PM_REMOVE) self.queue.erase(it);
    return TRUE;
}

BOOL GetMessageW(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
    return GetMessageAnyForm(msg, window, filterMin, filterMax);
}

// Thread messages carry no text, so the narrow and wide forms are the same.
BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
    return GetMessageAnyForm(msg, window, filterMin, filterMax);
}

// Only keyboard messages are translated, and none reach a queue of this layer.
BOOL TranslateMessage(const MSG* /*msg*/) { return FALSE; }

// A message without a window has no window procedure to go to.
LPARAM DispatchMessageW(const MSG* /*msg*/) { return 0; }
LPARAM DispatchMessageA(const MSG* /*msg*/) { return 0; }

// A thread message has no window and counts as not Unicode.
BOOL IsWindowUnicode(HWND window) { return window != nullptr ? TRUE : FALSE; }

// No dialog of this layer reads keyboard messages from a thread queue.
BOOL IsDialogMessageW(HWND /*dialog*/, MSG* /*msg*/) { return FALSE; }

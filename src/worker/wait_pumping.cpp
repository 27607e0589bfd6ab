#include "worker/wait_pumping.h"

#include "platform/system/threads.h"
#include "platform/system/window_thread_wait.h"
#include "platform/win32.h"

using tarvex::platform::WindowThreadWait;
using tarvex::platform::WindowThreadWaitFor;

bool WaitPumpingMessages(HANDLE handle, DWORD timeoutMs) {
    if (WindowThreadWait windowThreadWait = WindowThreadWaitFor(GetCurrentThreadId())) {
        return windowThreadWait(handle, timeoutMs);
    }
    for (;;) {
        const DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs,
                                                       tarvex::worker::kWakeOnAnyInput);
        if (result == WAIT_OBJECT_0) return true;
        if (result != WAIT_OBJECT_0 + 1) return false;

        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            const bool unicode = IsWindowUnicode(msg.hwnd) != FALSE;
            const BOOL taken =
                unicode ? GetMessageW(&msg, nullptr, 0, 0) : GetMessageA(&msg, nullptr, 0, 0);
            // A take of 0 is WM_QUIT and -1 a failed take: both are dropped.
            if (taken > 0 && !IsDialogMessageW(msg.hwnd, &msg)) {
                TranslateMessage(&msg);
                if (unicode) {
                    DispatchMessageW(&msg);
                } else {
                    DispatchMessageA(&msg);
                }
            }
            if (WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) return true;
        }
    }
}

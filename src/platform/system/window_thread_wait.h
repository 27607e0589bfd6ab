// The window thread cannot wait on a thread queue: its events belong to the window system's own
// loop. The window system registers here how that thread waits for a handle while it keeps
// dispatching its events; WaitPumpingMessages uses it on that thread.
#pragma once

#include "platform/win32.h"

namespace tarvex::platform {

using WindowThreadWait = bool (*)(HANDLE handle, DWORD timeoutMs);

// Registers `wait` for the thread `windowThreadId`; a null `wait` removes the registration.
void SetWindowThreadWait(DWORD windowThreadId, WindowThreadWait wait);

// The wait registered for `threadId`, or null when that thread is not the window thread.
WindowThreadWait WindowThreadWaitFor(DWORD threadId);

}  // namespace tarvex::platform

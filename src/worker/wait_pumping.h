// Waiting for a handle without freezing the calling thread's windows or queue.
#pragma once

#include "platform/win32.h"

// Waits until `handle` is signalled or `timeoutMs` passes, taking and dispatching the messages
// that arrive meanwhile. A WM_QUIT taken here is dropped and does not end the wait. The time-out
// starts afresh after each burst of messages. True when the handle became signalled; false on
// time-out or failure.
bool WaitPumpingMessages(HANDLE handle, DWORD timeoutMs);

namespace tarvex::worker {

// The wake mask of the waits: every kind of input except raw input.
inline constexpr DWORD kWakeOnAnyInput = 0xFF;

}  // namespace tarvex::worker

// Threads as the C runtime's _beginthreadex creates them: a handle that is signalled when the
// thread ends, an id that other threads post messages to, and an exit code.
#pragma once

#include <string>

#include "platform/win32.h"

using ThreadProc = unsigned (*)(void* argument);

// Starts `proc(argument)` on a new thread and stores its id in `*threadId` before the thread
// runs. `security` is ignored; `stackSize` 0 takes the default. With CREATE_SUSPENDED the thread
// waits for ResumeThread before it calls `proc`. Returns none on failure.
HANDLE BeginThreadEx(SECURITY_ATTRIBUTES* security, unsigned stackSize, ThreadProc proc,
                     void* argument, unsigned creationFlags, unsigned* threadId);

namespace tarvex::platform {

// Names the calling thread for debuggers and tools (cut to the kernel's limit of 15 bytes,
// at a character boundary).
void SetCurrentThreadName(const std::string& utf8Name);

}  // namespace tarvex::platform

// The Win32 thread calls, on the emulation's thread handles (platform/system/threads.h starts
// threads through CreateThread).
#pragma once

#include <cstddef>

#include "platform/posix/win32_types.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(void* parameter);

// Starts `proc(argument)` on a new thread, whose handle is signalled when it ends, and stores
// its id in `*threadId` before it runs. `security` is ignored; `stackSize` 0 takes the default.
// With CREATE_SUSPENDED the thread waits for ResumeThread before it calls `proc`. Returns none
// (and sets the last error) on failure.
HANDLE CreateThread(SECURITY_ATTRIBUTES* security, std::size_t stackSize,
                    LPTHREAD_START_ROUTINE proc, void* argument, DWORD creationFlags,
                    DWORD* threadId);

// Returns the previous suspend count, or (DWORD)-1 on failure.
DWORD ResumeThread(HANDLE thread);

// STILL_ACTIVE while the thread runs, then the value its procedure returned.
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();

// Ends the process at once with `exitCode`, and every thread with it; nothing else runs (no
// destructors, no atexit handlers). Buffered standard output is flushed first.
[[noreturn]] void ExitProcess(UINT exitCode);

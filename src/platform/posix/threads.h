// The Win32 thread calls, on the emulation's thread handles (platform/threads.h starts them).
#pragma once

#include "platform/posix/win32_types.h"

// Returns the previous suspend count, or (DWORD)-1 on failure.
DWORD ResumeThread(HANDLE thread);

// STILL_ACTIVE while the thread runs, then the value its procedure returned.
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();

// Ends the process at once with `exitCode`, and every thread with it; nothing else runs (no
// destructors, no atexit handlers). Buffered standard output is flushed first.
[[noreturn]] void ExitProcess(UINT exitCode);

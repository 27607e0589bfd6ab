// Kernel objects and waits: the subset of Win32 events, waitable timers, thread handles and
// MsgWaitForMultipleObjects that the worker thread is built on.
//
// Semantics kept from Windows:
//  - an auto-reset event (and an auto-reset timer) is taken by exactly one wait; a manual-reset
//    one stays signalled and wakes every waiter;
//  - a wait for several handles returns the lowest signalled index and takes only that one;
//  - MsgWaitForMultipleObjects watches at most 63 handles beside the thread's queue and also
//    returns WAIT_OBJECT_0 + count when a message has been posted to the calling thread since
//    it last looked at its queue (PeekMessageW or GetMessageW);
//  - a thread handle becomes signalled once the thread has ended.
// Deliberately left out: named objects, wait-for-all, abandoned mutexes, alertable waits.
// Handle values are never reused, so a late call on a closed handle fails with
// ERROR_INVALID_HANDLE instead of reaching another object.
#pragma once

#include "platform/posix/win32_types.h"

DWORD GetLastError();
void SetLastError(DWORD error);

// Events. `security` and `name` must be null: this layer has no named or secured objects.
HANDLE CreateEventW(SECURITY_ATTRIBUTES* security, BOOL manualReset, BOOL initialState,
                    const wchar_t* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Waitable timers. A negative due time is relative, in 100-nanosecond units; a positive one is
// absolute, in 100-nanosecond units since 1601-01-01 UTC. `period` is in milliseconds.
HANDLE CreateWaitableTimerW(SECURITY_ATTRIBUTES* security, BOOL manualReset, const wchar_t* name);
BOOL SetWaitableTimer(HANDLE timer, const LARGE_INTEGER* dueTime, LONG period,
                      void (*completionRoutine)(void*, DWORD, DWORD), void* routineArg,
                      BOOL resume);
BOOL CancelWaitableTimer(HANDLE timer);

BOOL CloseHandle(HANDLE handle);

DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs);
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs,
                                DWORD wakeMask);

// Milliseconds since an arbitrary start, wrapping like the Windows tick count.
DWORD GetTickCount();

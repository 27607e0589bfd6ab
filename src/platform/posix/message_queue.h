// Per-thread message queues, as Windows gives them to threads without windows.
//
// A thread has no queue until it first calls PeekMessageW (or GetMessageW); posting to a thread
// without a queue fails with ERROR_INVALID_THREAD_ID. A queue holds at most 10000 messages, as on
// Windows; a post beyond that fails with ERROR_NOT_ENOUGH_QUOTA. The queue goes away when its
// thread ends. Messages posted here have no window: dispatching one does nothing.
#pragma once

#include "platform/posix/win32_types.h"

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);

// `window` must be null (all messages) or (HWND)-1 (thread messages); `filterMin` and
// `filterMax` of 0 take every message.
BOOL PeekMessageW(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);

// Waits for a message and takes it: above 0 for an ordinary message, 0 for WM_QUIT, -1 for bad
// arguments.
BOOL GetMessageW(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax);

BOOL TranslateMessage(const MSG* msg);
LPARAM DispatchMessageW(const MSG* msg);
LPARAM DispatchMessageA(const MSG* msg);
BOOL IsWindowUnicode(HWND window);
BOOL IsDialogMessageW(HWND dialog, MSG* msg);

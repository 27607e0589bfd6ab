// The desktop's services: opening a document or link with its handler, the default beep, and
// the wait cursor.
#pragma once

#include "platform/win32.h"

using HINSTANCE = struct HINSTANCE__*;
inline constexpr int SW_SHOWNORMAL = 1;

// Opens `file` (a web address, a "mailto:" address or a file) with the desktop's handler for
// it; only the verb "open" is known. A result above 32 means it was handed over.
HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file,
                        const wchar_t* parameters, const wchar_t* directory, int show);

BOOL MessageBeep(UINT type);

// Shows the wait cursor for its life.
class CWaitCursor {
  public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

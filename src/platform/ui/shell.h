// The desktop's services: opening a document or link with its handler (ShellExecuteW), the
// default beep (MessageBeep), both from the Win32 names; and the wait cursor.
#pragma once

#include "platform/ui/win32_ui.h"

// Shows the wait cursor for its life.
class CWaitCursor {
  public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// Private to the Win32 window backend: the window thread and its message window, through which
// other threads' calls reach it.
#pragma once

#include "platform/ui/win32_ui.h"

namespace tarvex::platform {

// The thread the window system was started on; 0 while there is none.
DWORD WindowThreadId();

// Runs a sent call (window_link_win.cpp's) on the window thread: sends it to the message window
// and returns once it has run there, or at once when there is no window system.
void SendToWindowThread(void* sent);
// The window thread's side of a sent call.
void RunSentCall(void* sent);

// Takes the messages waiting for this thread and dispatches them, the dialogs' keys included.
// False when WM_QUIT was among them (it is posted again, for the loop that ends on it).
bool DispatchWaitingMessages();

}  // namespace tarvex::platform

// Private to the window layer: the handles (HWND) given out for windows, and the window each
// stands for. Handles are never reused. Used on the window thread only.
#pragma once

#include <QWidget>

#include "platform/win32.h"

namespace tarvex::platform {

HWND RegisterWindow(QWidget* window);
void UnregisterWindow(HWND handle);

// The live window of a handle, or null when it has gone or never existed.
QWidget* WindowForHandle(HWND handle);

}  // namespace tarvex::platform

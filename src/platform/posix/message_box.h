// MessageBoxW on Linux: the box goes to the presenter the window system installs
// (platform/system/message_box.h).
#pragma once

#include "platform/posix/win32_types.h"

int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style);

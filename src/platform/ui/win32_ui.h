// The one place that decides what the Win32 user-interface names are (window styles, messages,
// menus, GDI, the shell). On Windows they are the system's own declarations; elsewhere the
// subset the program uses, which the Qt window backend provides (platform/ui/qt/). The class
// library's headers and the code above them include this header, never the system's.
#pragma once

#include "platform/win32.h"

#ifdef _WIN32
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#ifndef IDC_STATIC
#define IDC_STATIC (-1)  // the resource compiler's id of a control nobody addresses
#endif
#else
#include "platform/ui/qt/win32_ui_subset.h"
#endif

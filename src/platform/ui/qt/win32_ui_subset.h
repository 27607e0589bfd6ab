// The Win32 user-interface names of the program, for the Linux build: the window, control and
// dialog styles the templates use, the messages and menu flags of the class library, GDI's
// colours, raster operations, brushes and fonts, and the shell's services. The values are
// Windows' own. Include platform/ui/win32_ui.h, never this header.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// Window, dialog and control styles.
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD DS_MODALFRAME = 0x00000080;
inline constexpr DWORD DS_SHELLFONT = 0x00000048;
inline constexpr DWORD ES_CENTER = 0x00000001;
inline constexpr DWORD ES_MULTILINE = 0x00000004;
inline constexpr DWORD ES_AUTOHSCROLL = 0x00000080;
inline constexpr DWORD ES_READONLY = 0x00000800;
inline constexpr DWORD SS_CENTER = 0x00000001;
inline constexpr DWORD SS_NOTIFY = 0x00000100;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x00000001;
inline constexpr DWORD PBS_SMOOTH = 0x00000001;
inline constexpr int IDC_STATIC = -1;

// Messages, notifications and commands.
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_INITMENUPOPUP = 0x0117;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_QUERYENDSESSION = 0x0011;
inline constexpr UINT WM_ENDSESSION = 0x0016;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT BM_CLICK = 0x00F5;
inline constexpr UINT STN_CLICKED = 0;
inline constexpr UINT SC_CLOSE = 0xF060;
inline constexpr UINT VK_RETURN = 0x0D;
inline constexpr UINT VK_ESCAPE = 0x1B;
inline constexpr UINT VK_SPACE = 0x20;
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;

// Menus.
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_UNCHECKED = 0x0000;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_SEPARATOR = 0x0800;

// The open-file dialog.
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

// GDI: colours, raster operations, modes, colour requests, brushes and fonts.
using COLORREF = DWORD;  // 0x00BBGGRR
constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
    return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
           (static_cast<COLORREF>(blue) << 16);
}
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD SRCAND = 0x008800C6;
inline constexpr DWORD SRCINVERT = 0x00660046;
inline constexpr int MM_TEXT = 1;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr UINT CTLCOLOR_EDIT = 1;
inline constexpr UINT CTLCOLOR_BTN = 3;
inline constexpr UINT CTLCOLOR_DLG = 4;
inline constexpr UINT CTLCOLOR_STATIC = 6;
inline constexpr int NULL_BRUSH = 5;

using HBRUSH = struct HBRUSH__*;
using HDC = struct HDC__*;
using HFONT = struct HFONT__*;
using HGDIOBJ = void*;
using HICON = struct HICON__*;
using HINSTANCE = struct HINSTANCE__*;

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

struct BITMAP {
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    WORD bmPlanes = 0;
    WORD bmBitsPixel = 0;
};

struct LOGFONTW {
    LONG lfHeight = 0;
    LONG lfWeight = 0;
    BYTE lfUnderline = 0;
};

// The common controls, set up before the first window.
void InitCommonControls();

// The desktop's measures: only the icon's size is known.
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
int GetSystemMetrics(int index);

// The desktop's colours.
COLORREF GetSysColor(int index);
HBRUSH CreateSolidBrush(COLORREF colour);
HGDIOBJ GetStockObject(int stock);
HBRUSH GetSysColorBrush(int index);
BOOL DeleteObject(HGDIOBJ object);

// The shell: opening a document or link with the desktop's handler for it (only the verb
// "open" is known; a result above 32 means it was handed over), and the default beep.
inline constexpr int SW_SHOWNORMAL = 1;
HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file,
                        const wchar_t* parameters, const wchar_t* directory, int show);
BOOL MessageBeep(UINT type);

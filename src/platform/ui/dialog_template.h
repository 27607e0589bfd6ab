// Dialog resources as C++ tables: the controls in tab order, each with its rectangle in dialog
// units (a quarter of the dialog font's average character width across, an eighth of its height
// down), as a dialog template gives them.
#pragma once

#include <span>

#include "platform/ui/menu.h"
#include "platform/win32.h"

inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD DS_MODALFRAME = 0x00000080;
inline constexpr DWORD DS_SHELLFONT = 0x00000048;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD ES_CENTER = 0x00000001;
inline constexpr DWORD ES_MULTILINE = 0x00000004;
inline constexpr DWORD ES_AUTOHSCROLL = 0x00000080;
inline constexpr DWORD ES_READONLY = 0x00000800;
inline constexpr DWORD SS_CENTER = 0x00000001;
inline constexpr DWORD SS_NOTIFY = 0x00000100;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x00000001;
inline constexpr DWORD PBS_SMOOTH = 0x00000001;

inline constexpr int IDC_STATIC = -1;

namespace tarvex::platform {

enum class ControlKind {
    PushButton,
    AutoRadioButton,
    GroupBox,
    Static,
    Edit,
    ProgressBar,
};

struct DialogRect {
    int x;
    int y;
    int cx;
    int cy;
};

struct DialogControl {
    int id;
    ControlKind kind;
    const wchar_t* text;
    DWORD style;
    DialogRect rect;
};

struct DialogTemplate {
    int id;
    const wchar_t* caption;
    int cx;  // client size in dialog units
    int cy;
    DWORD style;
    int pointSize;  // of the dialog font, the system's shell font
    std::span<const MenuItemTemplate> menu;
    std::span<const DialogControl> controls;
};

}  // namespace tarvex::platform

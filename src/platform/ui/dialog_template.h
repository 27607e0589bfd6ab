// Dialog resources as C++ tables: the controls in tab order, each with its rectangle in dialog
// units (a quarter of the dialog font's average character width across, an eighth of its height
// down), as a dialog template gives them.
#pragma once

#include <span>

#include "platform/ui/menu.h"
#include "platform/ui/win32_ui.h"

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
    int pointSize;  // of the dialog font
    std::span<const MenuItemTemplate> menu;
    std::span<const DialogControl> controls;
    // The dialog font's face where the system has it (Windows); elsewhere the desktop's font.
    const wchar_t* typeface = L"MS Shell Dlg";
};

}  // namespace tarvex::platform

// Menus in the manner of the class library: items found by position or by command id (a search
// by command also looks inside popups), check marks and gray states, item texts. Like every
// window operation, each call may come from any thread and runs on the window thread.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "platform/ui/win32_ui.h"

namespace tarvex::platform {
struct WindowRef;
}  // namespace tarvex::platform

namespace tarvex::platform {

inline constexpr UINT kMenuItemNotFound = 0xFFFFFFFF;

// One item of a menu resource: a command, a popup (with `popup` items) or a separator (no text).
struct MenuItemTemplate {
    const wchar_t* text;
    UINT id;
    std::span<const MenuItemTemplate> popup = {};
};

}  // namespace tarvex::platform

class CMenu {
  public:
    CMenu() = default;
    explicit CMenu(std::shared_ptr<tarvex::platform::WindowRef> menu);

    // Makes this object an empty popup menu of its own, not part of any window's menus (on
    // the window thread).
    BOOL CreatePopupMenu();
    // False for a menu that does not exist (a submenu asked of a command item, say).
    bool IsValid() const { return GetMenuItemCount() >= 0; }

    int GetMenuItemCount() const;  // -1 when the menu does not exist
    CMenu GetSubMenu(int position) const;
    UINT GetMenuItemID(int position) const;  // kMenuItemNotFound for a popup or no item

    BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, const wchar_t* text = nullptr);
    BOOL DeleteMenu(UINT item, UINT flags);

    // Both return the item's previous state (MF_CHECKED or MF_UNCHECKED; MF_ENABLED, MF_GRAYED or
    // MF_DISABLED), or kMenuItemNotFound.
    UINT CheckMenuItem(UINT item, UINT flags);
    UINT EnableMenuItem(UINT item, UINT flags);

    // MF_CHECKED, MF_GRAYED, MF_DISABLED, MF_SEPARATOR and MF_POPUP bits (a popup also carries
    // its item count in the high byte), or kMenuItemNotFound.
    UINT GetMenuState(UINT item, UINT flags) const;
    // The item's full text; the length, or 0 when there is no such item.
    int GetMenuString(UINT item, std::wstring& text, UINT flags) const;
    // A tip shown when the pointer rests on the item (this layer's own: a system menu has none);
    // empty text takes it away. FALSE when there is no such item.
    BOOL SetMenuItemTip(UINT item, const std::wstring& tip, UINT flags);
    std::wstring GetMenuItemTip(UINT item, UINT flags) const;

  private:
    std::shared_ptr<tarvex::platform::WindowRef> menu_;
};

// Menus on the Win32 user interface: each CMenu is a system menu (HMENU), searched, checked and
// grayed by the system itself; a search by command looks inside popups, as the system's does.
#include <map>
#include <mutex>
#include <utility>

#include "platform/ui/menu.h"
#include "platform/ui/win32/window_ref.h"

using tarvex::platform::WindowRef;

namespace {

// Runs `use` with the menu on the window thread; false when there is none.
template <typename Use>
bool With(const std::shared_ptr<WindowRef>& menu, Use&& use) {
    return menu != nullptr && menu->With([&] { use(menu->menu); });
}

// A menu bar shows a change only once it is drawn again.
void Redraw(const WindowRef& menu) {
    if (menu.hwnd != nullptr && ::GetMenu(menu.hwnd) == menu.menu) ::DrawMenuBar(menu.hwnd);
}

// The tips of menu items, which the system's menus do not keep: by menu and command id.
std::map<std::pair<HMENU, UINT>, std::wstring>& Tips() {
    static std::map<std::pair<HMENU, UINT>, std::wstring> tips;
    return tips;
}
std::mutex& TipLock() {
    static std::mutex lock;
    return lock;
}

// The command id of an item, by position or by command.
UINT CommandOf(HMENU menu, UINT item, UINT flags) {
    return (flags & MF_BYPOSITION) ? ::GetMenuItemID(menu, static_cast<int>(item)) : item;
}

}  // namespace

CMenu::CMenu(std::shared_ptr<WindowRef> menu) : menu_(std::move(menu)) {}

BOOL CMenu::CreatePopupMenu() {
    HMENU made = ::CreatePopupMenu();
    if (made == nullptr) return FALSE;
    auto menu = std::make_shared<WindowRef>();
    menu->link = tarvex::platform::WindowLink::Create();
    menu->menu = made;
    menu->owned =
        std::shared_ptr<void>(made, [](void* owned) { ::DestroyMenu(static_cast<HMENU>(owned)); });
    menu_ = std::move(menu);
    return TRUE;
}

int CMenu::GetMenuItemCount() const {
    int count = -1;
    With(menu_, [&](HMENU menu) { count = ::GetMenuItemCount(menu); });
    return count;
}

CMenu CMenu::GetSubMenu(int position) const {
    if (!menu_ || position < 0) return CMenu();
    HMENU sub = nullptr;
    With(menu_, [&](HMENU menu) { sub = ::GetSubMenu(menu, position); });
    if (sub == nullptr) return CMenu();
    auto ref = std::make_shared<WindowRef>();
    ref->link = menu_->link;
    ref->menu = sub;
    return CMenu(ref);
}

UINT CMenu::GetMenuItemID(int position) const {
    UINT id = tarvex::platform::kMenuItemNotFound;
    if (position >= 0) With(menu_, [&](HMENU menu) { id = ::GetMenuItemID(menu, position); });
    return id;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, const wchar_t* text) {
    // A popup is appended by the menu resource only; items appended at run time are commands.
    if (flags & MF_POPUP) return FALSE;
    BOOL done = FALSE;
    With(menu_, [&](HMENU menu) {
        done = ::AppendMenuW(menu, flags, idNewItem, text);
        Redraw(*menu_);
    });
    return done;
}

BOOL CMenu::DeleteMenu(UINT item, UINT flags) {
    BOOL done = FALSE;
    With(menu_, [&](HMENU menu) {
        done = ::DeleteMenu(menu, item, flags);
        Redraw(*menu_);
    });
    return done;
}

UINT CMenu::CheckMenuItem(UINT item, UINT flags) {
    UINT previous = tarvex::platform::kMenuItemNotFound;
    With(menu_,
         [&](HMENU menu) { previous = static_cast<UINT>(::CheckMenuItem(menu, item, flags)); });
    return previous;
}

UINT CMenu::EnableMenuItem(UINT item, UINT flags) {
    UINT previous = tarvex::platform::kMenuItemNotFound;
    With(menu_, [&](HMENU menu) {
        previous = static_cast<UINT>(::EnableMenuItem(menu, item, flags));
        Redraw(*menu_);
    });
    return previous;
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    UINT state = tarvex::platform::kMenuItemNotFound;
    With(menu_, [&](HMENU menu) { state = ::GetMenuState(menu, item, flags); });
    return state;
}

int CMenu::GetMenuString(UINT item, std::wstring& text, UINT flags) const {
    text.clear();
    With(menu_, [&](HMENU menu) {
        const int length = ::GetMenuStringW(menu, item, nullptr, 0, flags);
        if (length <= 0) return;
        text.resize(static_cast<std::size_t>(length) + 1);
        text.resize(
            static_cast<std::size_t>(::GetMenuStringW(menu, item, text.data(), length + 1, flags)));
    });
    return static_cast<int>(text.size());
}

BOOL CMenu::SetMenuItemTip(UINT item, const std::wstring& tip, UINT flags) {
    bool done = false;
    With(menu_, [&](HMENU menu) {
        if (::GetMenuState(menu, item, flags) == tarvex::platform::kMenuItemNotFound) return;
        std::lock_guard lock(TipLock());
        Tips()[{menu, CommandOf(menu, item, flags)}] = tip;
        done = true;
    });
    return done ? TRUE : FALSE;
}

std::wstring CMenu::GetMenuItemTip(UINT item, UINT flags) const {
    std::wstring tip;
    With(menu_, [&](HMENU menu) {
        std::lock_guard lock(TipLock());
        auto it = Tips().find({menu, CommandOf(menu, item, flags)});
        if (it != Tips().end()) tip = it->second;
    });
    return tip;
}

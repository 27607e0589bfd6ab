#include "platform/ui/menu.h"

#include <QMenu>
#include <QMenuBar>

#include "platform/ui/qt/menu_items.h"
#include "platform/ui/qt/qt_text.h"
#include "platform/ui/qt/window_ref.h"

namespace tarvex::platform {
namespace {

constexpr char kTipProperty[] = "tarvexTip";

const char kIdProperty[] = "tarvexCommandId";
const char kCheckedProperty[] = "tarvexChecked";

void SetCheckMark(QAction* action, bool checked) {
    action->setProperty(kCheckedProperty, checked);
    action->setCheckable(checked);  // an unchecked item shows no empty box either
    action->setChecked(checked);
}

bool IsChecked(const QAction* action) { return action->property(kCheckedProperty).toBool(); }

struct FoundItem {
    QWidget* owner = nullptr;  // the menu that holds the item
    QAction* action = nullptr;
    explicit operator bool() const { return action != nullptr; }
};

FoundItem FindByCommand(QWidget* menu, UINT id) {
    for (QAction* action : menu->actions()) {
        if (QMenu* popup = action->menu()) {
            if (FoundItem found = FindByCommand(popup, id)) return found;
        } else if (!action->isSeparator() && CommandIdOf(action) == id) {
            return {menu, action};
        }
    }
    return {};
}

FoundItem FindItem(QWidget* menu, UINT item, UINT flags) {
    if (flags & MF_BYPOSITION) {
        const auto actions = menu->actions();
        if (item >= static_cast<UINT>(actions.size())) return {};
        return {menu, actions[static_cast<int>(item)]};
    }
    return FindByCommand(menu, item);
}

UINT StateOf(const QAction* action) {
    UINT state = 0;
    if (action->isSeparator()) return MF_SEPARATOR;
    if (IsChecked(action)) state |= MF_CHECKED;
    if (!action->isEnabled()) state |= MF_GRAYED;
    if (QMenu* popup = action->menu()) {
        state |= MF_POPUP | (static_cast<UINT>(popup->actions().size()) << 8);
    }
    return state;
}

}  // namespace

UINT CommandIdOf(const QAction* action) { return action->property(kIdProperty).toUInt(); }

void RestoreCheckMark(QAction* action) { action->setChecked(IsChecked(action)); }

bool AppendMenuItem(QWidget* menu, UINT flags, UINT id, const QString& text) {
    QAction* action = nullptr;
    if (flags & MF_SEPARATOR) {
        action = new QAction(menu);
        action->setSeparator(true);
    } else if (flags & MF_POPUP) {
        auto* popup = new QMenu(text, menu);
        action = popup->menuAction();
    } else {
        action = new QAction(text, menu);
        action->setProperty(kIdProperty, id);
        SetCheckMark(action, (flags & MF_CHECKED) != 0);
    }
    action->setEnabled((flags & (MF_GRAYED | MF_DISABLED)) == 0);
    menu->addAction(action);
    return true;
}

void AppendMenuItems(QWidget* menu, std::span<const MenuItemTemplate> items) {
    for (const MenuItemTemplate& item : items) {
        if (item.text == nullptr) {
            AppendMenuItem(menu, MF_SEPARATOR, 0, {});
        } else if (!item.popup.empty()) {
            AppendMenuItem(menu, MF_POPUP, 0, QString::fromWCharArray(item.text));
            AppendMenuItems(menu->actions().back()->menu(), item.popup);
        } else {
            AppendMenuItem(menu, MF_STRING, item.id, QString::fromWCharArray(item.text));
        }
    }
}

}  // namespace tarvex::platform

using tarvex::platform::WindowRef;
using namespace tarvex::platform;

CMenu::CMenu(std::shared_ptr<WindowRef> menu) : menu_(std::move(menu)) {}

BOOL CMenu::CreatePopupMenu() {
    auto menu = std::make_shared<WindowRef>();
    menu->link = WindowLink::Create();
    menu->owned = std::make_shared<QMenu>();
    menu->widget = menu->owned.get();
    menu_ = std::move(menu);
    return TRUE;
}

int CMenu::GetMenuItemCount() const {
    int count = -1;
    if (menu_) menu_->With<QWidget>([&](QWidget* menu) { count = menu->actions().size(); });
    return count;
}

CMenu CMenu::GetSubMenu(int position) const {
    if (!menu_ || position < 0) return CMenu();
    auto sub = std::make_shared<WindowRef>();
    sub->link = menu_->link;
    menu_->With<QWidget>([&](QWidget* menu) {
        if (FoundItem found = FindItem(menu, static_cast<UINT>(position), MF_BYPOSITION)) {
            sub->widget = found.action->menu();
        }
    });
    return sub->widget ? CMenu(sub) : CMenu();
}

UINT CMenu::GetMenuItemID(int position) const {
    UINT id = kMenuItemNotFound;
    if (menu_ && position >= 0) {
        menu_->With<QWidget>([&](QWidget* menu) {
            QAction* action = FindItem(menu, static_cast<UINT>(position), MF_BYPOSITION).action;
            if (action != nullptr && action->menu() == nullptr) {
                id = action->isSeparator() ? 0 : CommandIdOf(action);
            }
        });
    }
    return id;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, const wchar_t* text) {
    // A popup is appended by the menu resource only; items appended at run time are commands.
    if (!menu_ || (flags & MF_POPUP)) return FALSE;
    const QString qtext = text != nullptr ? ToQString(text) : QString();
    bool done = false;
    menu_->With<QWidget>([&](QWidget* menu) {
        done = AppendMenuItem(menu, flags, static_cast<UINT>(idNewItem), qtext);
    });
    return done ? TRUE : FALSE;
}

BOOL CMenu::DeleteMenu(UINT item, UINT flags) {
    bool done = false;
    if (menu_) {
        menu_->With<QWidget>([&](QWidget* menu) {
            if (FoundItem found = FindItem(menu, item, flags)) {
                found.owner->removeAction(found.action);
                if (QMenu* popup = found.action->menu()) {
                    popup->deleteLater();
                } else {
                    found.action->deleteLater();
                }
                done = true;
            }
        });
    }
    return done ? TRUE : FALSE;
}

UINT CMenu::CheckMenuItem(UINT item, UINT flags) {
    UINT previous = kMenuItemNotFound;
    if (menu_) {
        menu_->With<QWidget>([&](QWidget* menu) {
            if (QAction* action = FindItem(menu, item, flags).action; action && !action->menu()) {
                previous = IsChecked(action) ? MF_CHECKED : MF_UNCHECKED;
                SetCheckMark(action, (flags & MF_CHECKED) != 0);
            }
        });
    }
    return previous;
}

UINT CMenu::EnableMenuItem(UINT item, UINT flags) {
    UINT previous = kMenuItemNotFound;
    if (menu_) {
        menu_->With<QWidget>([&](QWidget* menu) {
            if (QAction* action = FindItem(menu, item, flags).action) {
                previous = action->isEnabled() ? MF_ENABLED : MF_GRAYED;
                action->setEnabled((flags & (MF_GRAYED | MF_DISABLED)) == 0);
            }
        });
    }
    return previous;
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    UINT state = kMenuItemNotFound;
    if (menu_) {
        menu_->With<QWidget>([&](QWidget* menu) {
            if (QAction* action = FindItem(menu, item, flags).action) state = StateOf(action);
        });
    }
    return state;
}

BOOL CMenu::SetMenuItemTip(UINT item, const std::wstring& tip, UINT flags) {
    bool done = false;
    if (menu_) {
        menu_->With<QWidget>([&](QWidget* menu) {
            if (QAction* action = FindItem(menu, item, flags).action) {
                action->setToolTip(ToQString(tip));
                action->setProperty(kTipProperty, ToQString(tip));
                if (auto* popup = qobject_cast<QMenu*>(menu)) popup->setToolTipsVisible(true);
                done = true;
            }
        });
    }
    return done ? TRUE : FALSE;
}

std::wstring CMenu::GetMenuItemTip(UINT item, UINT flags) const {
    std::wstring tip;
    if (menu_) {
        menu_->With<QWidget>([&](QWidget* menu) {
            // Kept beside Qt's tip, which is the item's text when no tip was set.
            if (QAction* action = FindItem(menu, item, flags).action) {
                tip = FromQString(action->property(kTipProperty).toString());
            }
        });
    }
    return tip;
}

int CMenu::GetMenuString(UINT item, std::wstring& text, UINT flags) const {
    text.clear();
    if (menu_) {
        menu_->With<QWidget>([&](QWidget* menu) {
            if (QAction* action = FindItem(menu, item, flags).action) {
                text = FromQString(action->text());
            }
        });
    }
    return static_cast<int>(text.size());
}

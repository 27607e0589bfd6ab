// Private to the window layer: menu items as Qt actions. An action carries its command id and
// its check mark as properties; a popup is an action with a menu.
#pragma once

#include <QAction>
#include <QWidget>
#include <span>

#include "platform/ui/menu.h"

namespace tarvex::platform {

// Appends an item to a menu or menu bar; false when out of place (a popup without text).
bool AppendMenuItem(QWidget* menu, UINT flags, UINT id, const QString& text);

// Appends the items of a menu resource.
void AppendMenuItems(QWidget* menu, std::span<const MenuItemTemplate> items);

UINT CommandIdOf(const QAction* action);

// Window menu items never check themselves when chosen: the check mark is the program's.
void RestoreCheckMark(QAction* action);

}  // namespace tarvex::platform

// For tests and screenshots only: the Qt widgets behind a shown dialog, so that they can be
// clicked, read and grabbed as a user would.
#pragma once

#include <QDialog>
#include <QMenuBar>
#include <QWidget>
#include <functional>

#include "platform/ui/dialog.h"

namespace tarvex::platform {

// Each is null while the dialog is not shown.
QDialog* DialogWidget(const CDialog& dialog);
QWidget* ControlWidget(const CDialog& dialog, int id);
QMenuBar* MenuBarWidget(const CDialog& dialog);
// Calls `changed` with every new position of progress bar `id` while the dialog is shown.
void WatchProgressBar(const CDialog& dialog, int id, const std::function<void(int)>& changed);

}  // namespace tarvex::platform

// For the Qt backend's own tests and the Linux tools: the Qt widgets behind a shown dialog, so
// that they can be clicked, read and grabbed as a user would.
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
// The width a message box keeps at least, so that its title bar shows the whole caption.
int MessageBoxMinimumWidth(const QString& caption);

}  // namespace tarvex::platform

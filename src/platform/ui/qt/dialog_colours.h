// Private to the window layer: a dialog's colours and fonts, as its colour requests
// (WM_CTLCOLOR*) ask for them.
#pragma once

#include <QWidget>

#include "platform/ui/dialog.h"

namespace tarvex::platform {

// Gives control `id` of `owner` (0: the dialog's own `window`) the colours and font its colour
// request yields.
void ApplyColours(CDialog& owner, QWidget* window, int id);

// Asks the control's dialog for its colours afresh.
void RefreshColoursOf(QWidget* control);

}  // namespace tarvex::platform

// For tests and tools that follow a dialog's controls as a person watching the screen would.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"

namespace tarvex::platform {

// Calls `changed` on the window thread with every new position of the progress bar `id` while
// the dialog is shown.
void WatchProgressBar(const CDialog& dialog, int id, std::function<void(int)> changed);

// The texts the dialog's controls show (static texts, buttons, group boxes and edit boxes
// alike, in no set order); empty while the dialog is not shown.
std::vector<std::wstring> ControlTexts(const CDialog& dialog);

}  // namespace tarvex::platform

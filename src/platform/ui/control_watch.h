// For tests and tools that follow a dialog's controls as a person watching the screen would.
#pragma once

#include <functional>

#include "platform/ui/dialog.h"

namespace tarvex::platform {

// Calls `changed` on the window thread with every new position of the progress bar `id` while
// the dialog is shown.
void WatchProgressBar(const CDialog& dialog, int id, std::function<void(int)> changed);

}  // namespace tarvex::platform

// For tests and tools that follow a dialog as a person watching the screen would.
#pragma once

#include <filesystem>
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

// Saves the dialog as the screen shows it into an image file: on Linux a PNG of the window, on
// Windows a 24-bit BMP of its place on the screen, frame and all. False when it cannot.
bool SaveWindowPicture(const CDialog& dialog, const std::filesystem::path& file);

}  // namespace tarvex::platform

// The main dialog's template and menu, and the string table.
#pragma once

#include <string>

#include "platform/ui/dialog_template.h"

namespace tarvex::app {

extern const platform::DialogTemplate kMainDialogTemplate;

// Menu bar positions the program relies on.
inline constexpr int kConsoleMenuPosition = 1;
inline constexpr int kCommunicationsMenuPosition = 2;

// The string resource `id`, or empty text when there is none.
std::wstring LoadStringResource(unsigned id);

}  // namespace tarvex::app

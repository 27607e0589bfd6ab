// The screenshot tool on Windows: the four windows, drawn on the desktop Wine or Windows gives
// it; the pictures with the simulated devices are Linux's.
#include "screenshot_extras.h"

namespace screenshot {

std::vector<std::wstring> TypicalPorts() { return {L"COM1", L"COM3"}; }

const char kExtrasUsage[] = "";

bool IsExtra(const std::string& /*which*/) { return false; }

bool SaveExtra(const std::string& /*which*/, const std::filesystem::path& /*output*/) {
    return false;
}

void DrawWithoutADisplay() {}

}  // namespace screenshot

// The screenshot tool's pictures that depend on the system: Linux draws offscreen without a
// display and has two more pictures, made with the simulated devices.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace screenshot {

// The serial ports the main window's picture lists: the usual names of a PC's first port and a
// USB adapter.
std::vector<std::wstring> TypicalPorts();
// What the usage line adds after "help", and whether `which` is one of those pictures.
extern const char kExtrasUsage[];
bool IsExtra(const std::string& which);
// Draws the picture `which` of those into `output`; false when it cannot.
bool SaveExtra(const std::string& which, const std::filesystem::path& output);
// Lets the window system draw where there is no display.
void DrawWithoutADisplay();

}  // namespace screenshot

// What every test program that shows windows sets up first, on each system: windows drawn
// where nobody sees them, and the user's state (the job log) in a folder of the run's own.
#pragma once

#include <cstdlib>
#include <filesystem>

inline void SetEnvironment(const char* name, const std::filesystem::path& value) {
#ifdef _WIN32
    _wputenv_s(std::filesystem::path(name).wstring().c_str(), value.wstring().c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

// On Linux, Qt's offscreen platform; Windows' tests run on Wine's null graphics driver, which the
// test prefix sets.
inline void UseOffscreenWindows() {
#ifndef _WIN32
    SetEnvironment("QT_QPA_PLATFORM", "offscreen");
#endif
}

// The folder the job log is written under: XDG_STATE_HOME on Linux, LOCALAPPDATA on Windows.
inline void KeepUserStateIn(const std::filesystem::path& folder) {
#ifdef _WIN32
    SetEnvironment("LOCALAPPDATA", folder);
#else
    SetEnvironment("XDG_STATE_HOME", folder);
#endif
}

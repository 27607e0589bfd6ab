// What the Linux emulation of the Win32 subset promises beyond Win32 (handle values never
// reused, the system's texts in Windows' words, calls that fail where Windows would crash), and
// what Wine does not keep of Win32. The tests hold both sides to what Win32 promises, and these
// only where they apply.
#pragma once

#include <gtest/gtest.h>

#include "platform/win32.h"

#ifdef _WIN32
inline constexpr bool kEmulatedWin32 = false;
#else
inline constexpr bool kEmulatedWin32 = true;
#endif

// Whether this Windows program runs under Wine (its ntdll has wine_get_version).
inline bool RunningOnWine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

// A test of the emulation's own behaviour: skipped where the Win32 subset is the system's.
#define SKIP_UNLESS_EMULATED() \
    if (!kEmulatedWin32) GTEST_SKIP() << "the Linux emulation's own promise, not Win32's"

// COM start-up and shut-down of a thread. Linux has no COM: a thread needs no apartment, so both
// calls succeed without doing anything. They stay so that thread code keeps its Windows shape.
#pragma once

#include "platform/posix/win32_types.h"

inline HRESULT CoInitializeEx(void* /*reserved*/, DWORD /*coInitFlags*/) { return S_OK; }
inline void CoUninitialize() {}

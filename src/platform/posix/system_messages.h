// The system's message texts for error codes (FormatMessageW with FORMAT_MESSAGE_FROM_SYSTEM).
//
// Known: the result codes this program raises (E_INVALIDARG, E_HANDLE, E_POINTER, E_FAIL,
// E_OUTOFMEMORY), in the words Windows uses for them, and the operating system's error numbers
// (errno values), in the C library's words. Each text ends with a line break, as system
// messages do. Any other code has no message: the call fails with ERROR_MR_MID_NOT_FOUND.
#pragma once

#include <cstdarg>

#include "platform/posix/win32_types.h"

inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
inline constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;

// Returns the number of characters stored without the terminating zero, 0 on failure.
// Only FORMAT_MESSAGE_FROM_SYSTEM is offered; `source`, `languageId` and `arguments` are unused.
DWORD FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     wchar_t* buffer, DWORD size, va_list* arguments);

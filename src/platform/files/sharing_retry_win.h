// Opens that ask for a file without sharing, tried again for a while when someone else has it
// open: a virus scanner or an indexer opens a file just written for a moment, and Windows then
// refuses every open that will not share with ERROR_SHARING_VIOLATION.
#pragma once

#include <functional>

#include "platform/win32.h"

namespace tarvex::platform {

// How long a refused open is tried again before the refusal stands.
inline constexpr DWORD kSharingRetryMs = 1000;

// `open`'s handle; while it fails with ERROR_SHARING_VIOLATION it is tried again every 50 ms
// for kSharingRetryMs. GetLastError is the last attempt's.
HANDLE OpenRetryingWhileShared(const std::function<HANDLE()>& open);

}  // namespace tarvex::platform

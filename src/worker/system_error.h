// The system's message text for an error code, as shown in failure reports.
#pragma once

#include <string>

#include "platform/win32.h"

namespace tarvex::worker {

// The text ends with the system's line break; it is empty when the system has no message for
// the code.
std::wstring DescribeSystemError(DWORD code);

}  // namespace tarvex::worker

#include "worker/system_error.h"

#include "platform/win32.h"

namespace tarvex::worker {

std::wstring DescribeSystemError(DWORD code) {
    constexpr DWORD kBufferChars = 1000;
    constexpr DWORD kUserDefaultLanguage = 0x0400;
    wchar_t buffer[kBufferChars] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, kUserDefaultLanguage, buffer,
                   kBufferChars, nullptr);
    return buffer;
}

}  // namespace tarvex::worker

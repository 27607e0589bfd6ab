#include "platform/posix/system_messages.h"

#include <cstring>
#include <string>

#include "platform/posix/kernel_objects.h"
#include "platform/text.h"

namespace {

std::wstring ResultCodeText(DWORD code) {
    switch (static_cast<HRESULT>(code)) {
        case E_HANDLE:
            return L"The handle is invalid.";
        case E_OUTOFMEMORY:
            return L"Not enough memory resources are available to complete this operation.";
        case E_INVALIDARG:
            return L"The parameter is incorrect.";
        case E_POINTER:
            return L"Invalid pointer";
        case E_FAIL:
            return L"Unspecified error";
        default:
            return {};
    }
}

std::wstring OsErrorText(DWORD code) {
    constexpr DWORD kLargestErrno = 4095;
    if (code == 0) return L"The operation completed successfully.";
    if (code > kLargestErrno) return {};
    const char* text = strerrordesc_np(static_cast<int>(code));  // null for an unknown number
    return text != nullptr ? tarvex::platform::WidenAnsi(text) : std::wstring();
}

}  // namespace

DWORD FormatMessageW(DWORD flags, const void* /*source*/, DWORD messageId, DWORD /*languageId*/,
                     wchar_t* buffer, DWORD size, va_list* /*arguments*/) {
    if (flags != FORMAT_MESSAGE_FROM_SYSTEM || buffer == nullptr || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring text = ResultCodeText(messageId);
    if (text.empty()) text = OsErrorText(messageId);
    if (text.empty()) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    text += L'\n';
    if (text.size() >= size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::wmemcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

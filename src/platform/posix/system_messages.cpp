#include "platform/posix/system_messages.h"

#include <string>

#include "platform/posix/kernel_objects.h"

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

// The emulation's own error codes (what its GetLastError returns), in Windows' words. The
// system's errno values are not Win32 codes and are told elsewhere (platform/os_error.h).
std::wstring ErrorCodeText(DWORD code) {
    switch (code) {
        case ERROR_SUCCESS:
            return L"The operation completed successfully.";
        case ERROR_PATH_NOT_FOUND:
            return L"The system cannot find the path specified.";
        case ERROR_INVALID_HANDLE:
            return L"The handle is invalid.";
        case ERROR_NOT_ENOUGH_MEMORY:
            return L"Not enough memory resources are available to process this command.";
        case ERROR_NOT_SUPPORTED:
            return L"The request is not supported.";
        case ERROR_INVALID_PARAMETER:
            return L"The parameter is incorrect.";
        case ERROR_INSUFFICIENT_BUFFER:
            return L"The data area passed to a system call is too small.";
        case ERROR_INVALID_THREAD_ID:
            return L"The thread identifier is invalid.";
        case ERROR_NOT_ENOUGH_QUOTA:
            return L"Not enough quota is available to process this command.";
        default:
            return {};
    }
}

}  // namespace

DWORD FormatMessageW(DWORD flags, const void* /*source*/, DWORD messageId, DWORD /*languageId*/,
                     wchar_t* buffer, DWORD size, va_list* /*arguments*/) {
    if (flags != FORMAT_MESSAGE_FROM_SYSTEM || buffer == nullptr || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring text = ResultCodeText(messageId);
    if (text.empty()) text = ErrorCodeText(messageId);
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

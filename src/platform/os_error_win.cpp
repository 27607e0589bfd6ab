#include <iterator>

#include "platform/os_error.h"
#include "platform/text.h"
#include "platform/win32.h"

namespace tarvex::platform {

OsErrorKind KindOfOsError(std::uint32_t code) {
    switch (code) {
        case ERROR_SUCCESS:
            return OsErrorKind::kNone;
        case ERROR_FILE_NOT_FOUND:
            return OsErrorKind::kNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return OsErrorKind::kBadPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return OsErrorKind::kTooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return OsErrorKind::kAccessDenied;
        case ERROR_INVALID_HANDLE:
            return OsErrorKind::kInvalidHandle;
        case ERROR_CURRENT_DIRECTORY:
            return OsErrorKind::kCurrentDirectory;
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return OsErrorKind::kInUse;
        case ERROR_LOCK_VIOLATION:
            return OsErrorKind::kLocked;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return OsErrorKind::kDiskFull;
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK_ON_DEVICE:
            return OsErrorKind::kBadSeek;
        case ERROR_CRC:
        case ERROR_SEEK:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_BAD_COMMAND:
            return OsErrorKind::kHardware;
        case ERROR_HANDLE_EOF:
            return OsErrorKind::kEndOfFile;
        case ERROR_BAD_UNIT:
        case ERROR_NOT_READY:
        case ERROR_DEVICE_REMOVED:
        case ERROR_DEVICE_NOT_CONNECTED:
            return OsErrorKind::kNoDevice;
        case ERROR_OPERATION_ABORTED:
            return OsErrorKind::kAborted;
        case ERROR_BROKEN_PIPE:
            return OsErrorKind::kBrokenPipe;
        default:
            return OsErrorKind::kOther;
    }
}

// The system's message in the user's language, without its line break and full stop.
std::string OsErrorText(std::uint32_t code) {
    wchar_t text[256] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, static_cast<DWORD>(std::size(text)), nullptr);
    std::wstring words(text, length);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' ||
                              words.back() == L'.' || words.back() == L' ')) {
        words.pop_back();
    }
    return words.empty() ? "system error " + std::to_string(code) : ToUtf8(words);
}

}  // namespace tarvex::platform

#include "platform/serial/link_errors.h"

#include "platform/text.h"
#include "platform/win32.h"

namespace tarvex::platform {

std::string DescribeLinkError(const std::wstring& /*port*/, std::uint32_t error, LinkStep step) {
    if (step == LinkStep::kOpening) {
        switch (error) {
            // Windows refuses a port another program holds as access denied.
            case ERROR_ACCESS_DENIED:
            case ERROR_SHARING_VIOLATION:
            case ERROR_BUSY:
                return "the port is in use by another program";
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_INVALID_NAME:
            case ERROR_BAD_UNIT:
                return "there is no such port";
            default:
                break;
        }
    } else {
        switch (error) {
            // What an adapter pulled out or a device that hangs up leaves once the port is
            // open: a pending read or write is aborted (995), later ones are refused (5, 21, 22,
            // 31, 1167, 1617; Wine says 21 for a hung-up pseudo-terminal).
            case ERROR_ACCESS_DENIED:
            case ERROR_NOT_READY:
            case ERROR_OPERATION_ABORTED:
            case ERROR_GEN_FAILURE:
            case ERROR_DEVICE_REMOVED:
            case ERROR_BAD_COMMAND:
            case ERROR_BROKEN_PIPE:
            case ERROR_DEVICE_NOT_CONNECTED:
                return "the line was dropped (unplugged, or the device hung up)";
            default:
                break;
        }
    }
    wchar_t text[256] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, text, static_cast<DWORD>(std::size(text)), nullptr);
    std::wstring words(text, length);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' ||
                              words.back() == L'.' || words.back() == L' ')) {
        words.pop_back();
    }
    return words.empty() ? "system error " + std::to_string(error) : ToUtf8(words);
}

}  // namespace tarvex::platform

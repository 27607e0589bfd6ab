#include "platform/serial/link_errors.h"

#include "platform/os_error.h"

namespace tarvex::platform {

std::string DescribeLinkError(const std::wstring& /*port*/, std::uint32_t error, LinkStep step) {
    const OsErrorKind kind = KindOfOsError(error);
    if (step == LinkStep::kOpening) {
        switch (kind) {
            // Windows refuses a port another program holds as access denied.
            case OsErrorKind::kAccessDenied:
            case OsErrorKind::kInUse:
                return "the port is in use by another program";
            case OsErrorKind::kNotFound:
            case OsErrorKind::kBadPath:
            case OsErrorKind::kNoDevice:
                return "there is no such port";
            default:
                break;
        }
    } else {
        switch (kind) {
            // What an adapter pulled out or a device that hangs up leaves once the port is
            // open: a pending read or write is aborted (995), later ones are refused (5, 21, 22,
            // 31, 1167, 1617; Wine says 21 for a hung-up pseudo-terminal).
            case OsErrorKind::kAccessDenied:
            case OsErrorKind::kNoDevice:
            case OsErrorKind::kAborted:
            case OsErrorKind::kHardware:
            case OsErrorKind::kBrokenPipe:
                return "the line was dropped (unplugged, or the device hung up)";
            default:
                break;
        }
    }
    return OsErrorText(error);
}

}  // namespace tarvex::platform

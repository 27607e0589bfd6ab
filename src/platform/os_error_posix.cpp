#include <cerrno>
#include <cstring>

#include "platform/os_error.h"

namespace tarvex::platform {

OsErrorKind KindOfOsError(std::uint32_t code) {
    switch (static_cast<int>(code)) {
        case 0:
            return OsErrorKind::kNone;
        case ENOENT:
            return OsErrorKind::kNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return OsErrorKind::kBadPath;
        case EMFILE:
        case ENFILE:
            return OsErrorKind::kTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return OsErrorKind::kAccessDenied;
        case EBADF:
            return OsErrorKind::kInvalidHandle;
        case EBUSY:
        case ETXTBSY:
        case EWOULDBLOCK:
            return OsErrorKind::kInUse;
        case EDEADLK:
        case ENOLCK:
            return OsErrorKind::kLocked;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return OsErrorKind::kDiskFull;
        case ESPIPE:
        case EOVERFLOW:
            return OsErrorKind::kBadSeek;
        case EIO:
            return OsErrorKind::kHardware;
        case ENXIO:
        case ENODEV:
            return OsErrorKind::kNoDevice;
        case ECANCELED:
            return OsErrorKind::kAborted;
        case EPIPE:
            return OsErrorKind::kBrokenPipe;
        default:
            return OsErrorKind::kOther;
    }
}

// The C library's description, the same under every locale and safe on any thread.
std::string OsErrorText(std::uint32_t code) {
    const char* text = code <= 4095 ? strerrordesc_np(static_cast<int>(code)) : nullptr;
    return text != nullptr ? text : "system error " + std::to_string(code);
}

}  // namespace tarvex::platform

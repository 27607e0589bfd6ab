#include "platform/serial/link_errors.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/os_error.h"
#include "platform/text.h"

namespace tarvex::platform {

namespace {

// Why this user may not open `path`: the group (or user) the port's permissions are for.
std::string PermissionText(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return "permission denied";
    if ((info.st_mode & S_IRWXG) == (S_IRGRP | S_IWGRP)) {
        if (const group* owner = getgrgid(info.st_gid); owner != nullptr) {
            return std::string(
                       "permission denied: the user is not in the group that owns the "
                       "port, ") +
                   owner->gr_name;
        }
    }
    if (const passwd* owner = getpwuid(info.st_uid); owner != nullptr) {
        return std::string("permission denied: the port is for its owner, ") + owner->pw_name +
               ", alone";
    }
    return "permission denied";
}

}  // namespace

std::string DescribeLinkError(const std::wstring& port, std::uint32_t error, LinkStep step) {
    const OsErrorKind kind = KindOfOsError(error);
    if (step == LinkStep::kOpening) {
        if (kind == OsErrorKind::kAccessDenied) return PermissionText(ToSystemName(port));
        if (kind == OsErrorKind::kInUse) return "the port is in use by another program";
        if (kind == OsErrorKind::kNotFound || kind == OsErrorKind::kNoDevice) {
            return "there is no such port";
        }
    } else if (kind == OsErrorKind::kHardware || kind == OsErrorKind::kNoDevice) {
        // What a port whose device has gone answers (a USB adapter pulled out, a hang-up): EIO,
        // ENXIO, ENODEV.
        return "the line was dropped (unplugged, or the device hung up)";
    }
    return OsErrorText(error);
}

}  // namespace tarvex::platform

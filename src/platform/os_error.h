// The operating system's own error numbers, told the one way the program tells them: errno on
// Linux, the Win32 code (GetLastError) on Windows. Each keeps the system's own words, and is
// sorted into the few kinds the program's messages tell apart, so that no caller reads another
// system's numbers.
#pragma once

#include <cstdint>
#include <string>

namespace tarvex::platform {

enum class OsErrorKind {
    kNone,
    kNotFound,          // no file or port of that name
    kBadPath,           // a folder on the way is missing, or the name is not one
    kTooManyOpenFiles,  // the program or the system holds as many files as it may
    kAccessDenied,      // the permissions (or, on Windows, another program's hold) refuse it
    kInvalidHandle,     // nothing is open
    kCurrentDirectory,  // a folder in use as the working folder
    kInUse,             // another program holds it, and shares it not
    kLocked,            // a lock is in the way
    kDiskFull,
    kBadSeek,
    kHardware,  // the device reported a failure of its own
    kEndOfFile,
    kNoDevice,    // the device behind the name is not there (any more)
    kAborted,     // the operation was cancelled underneath
    kBrokenPipe,  // the other end has gone
    kOther,
};

OsErrorKind KindOfOsError(std::uint32_t code);

// The system's words for `code`, as UTF-8 on one line without a full stop at its end ("No such
// file or directory", "Access is denied"); "system error <code>" where the system has none.
std::string OsErrorText(std::uint32_t code);

}  // namespace tarvex::platform

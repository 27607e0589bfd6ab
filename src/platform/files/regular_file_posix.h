// Opening a file by a name that anyone may have put something else under: a FIFO or a device
// named where a file belongs must not hold the caller in open() (O_NONBLOCK, which changes
// nothing for a regular file) nor become its controlling terminal, and is refused.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace tarvex::platform {

struct RegularFile {
    int fd = -1;    // the open file; -1 when there is none
    int error = 0;  // why there is none: the system's error number, 0 when it is not a file
    struct stat info {};
};

// Opens `name` (relative to the folder `directory`, or AT_FDCWD) with `flags`, and `mode` when
// they create it. Something other than a regular file is closed again.
RegularFile OpenRegularFile(int directory, const char* name, int flags, mode_t mode = 0);

}  // namespace tarvex::platform

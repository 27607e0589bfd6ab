#include "platform/files/regular_file_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tarvex::platform {

RegularFile OpenRegularFile(int directory, const char* name, int flags, mode_t mode) {
    RegularFile file;
    const int fd = openat(directory, name, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    if (fd < 0) {
        file.error = errno;
    } else if (fstat(fd, &file.info) != 0) {
        file.error = errno;
        close(fd);
    } else if (!S_ISREG(file.info.st_mode)) {
        close(fd);
    } else {
        file.fd = fd;
    }
    return file;
}

}  // namespace tarvex::platform

#include "platform/files/exclusive_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <new>

#include "platform/files/regular_file_posix.h"
#include "platform/text.h"

namespace tarvex::platform {

namespace {

// Whether the system would give this program `bytes` of memory now, as a heap block of that
// size is given: mapped and unmapped untouched, so it costs nothing.
bool MemoryFor(std::size_t bytes) {
    if (bytes == 0) return true;
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return false;
    munmap(block, bytes);
    return true;
}

}  // namespace

struct ExclusiveFile::State {
    int fd = -1;
};

ExclusiveFile::ExclusiveFile() : state_(std::make_unique<State>()) {}

ExclusiveFile::~ExclusiveFile() { Close(); }

bool ExclusiveFile::IsOpen() const { return state_->fd >= 0; }

bool ExclusiveFile::Open(const std::wstring& path) {
    Close();
    refusal_.clear();
    if (path.empty()) return Refuse("cannot be read");
    // A FIFO or a device named as firmware cannot hold the job in open(): it is refused.
    const RegularFile file = OpenRegularFile(AT_FDCWD, ToSystemName(path).c_str(), O_RDONLY);
    const int fd = file.fd;
    if (fd < 0) {
        return Refuse(file.error == ENOENT ? "missing"
                      : file.error == 0    ? "not a regular file"
                                           : "cannot be read");
    }
    const auto size = static_cast<std::uint64_t>(file.info.st_size);
    bool usable = SizeFits(size, size <= kMostBytes && MemoryFor(static_cast<std::size_t>(size)));
    if (usable && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        usable = Refuse(errno == EWOULDBLOCK ? "in use by another program" : "cannot be read");
    }
    if (!usable) {
        close(fd);
        return false;
    }
    state_->fd = fd;
    return true;
}

std::int32_t ExclusiveFile::Length() const {
    struct stat info {};
    if (state_->fd < 0 || fstat(state_->fd, &info) != 0) return 0;
    return static_cast<std::int32_t>(
        std::min<off_t>(info.st_size, std::numeric_limits<std::int32_t>::max()));
}

bool ExclusiveFile::ReadStart(std::size_t most, std::vector<std::uint8_t>& image) {
    if (!Allocate(image, std::min(most, static_cast<std::size_t>(Length())))) return false;
    std::size_t filled = 0;
    while (filled < image.size()) {
        const ssize_t count = pread(state_->fd, image.data() + filled, image.size() - filled,
                                    static_cast<off_t>(filled));
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;  // an error, or the file shrank meanwhile
        filled += static_cast<std::size_t>(count);
    }
    image.resize(filled);
    return state_->fd >= 0;
}

void ExclusiveFile::Close() {
    if (state_->fd >= 0) close(state_->fd);
    state_->fd = -1;
}

}  // namespace tarvex::platform

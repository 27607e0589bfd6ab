#include "platform/files/user_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/files/regular_file_posix.h"

namespace tarvex::platform {

struct UserLog::State {
    int fd = -1;
};

UserLog::UserLog(const std::string& fileName) : state_(std::make_unique<State>()) {
    std::filesystem::path folder;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
        folder = state;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        folder = std::filesystem::path(home) / ".local" / "state";
    } else {
        return;
    }
    path_ = (folder / "tarvex2" / fileName).string();
}

UserLog::~UserLog() { Close(); }

void UserLog::Close() {
    if (state_->fd >= 0) close(state_->fd);
    state_->fd = -1;
}

bool UserLog::Open() {
    if (state_->fd >= 0) return true;
    if (path_.empty() || failed_) return false;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
    // A FIFO of that name must not hold the job in open(): it is refused.
    const RegularFile file =
        OpenRegularFile(AT_FDCWD, path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW, 0644);
    if (file.fd < 0) {
        failed_ = true;
        return false;
    }
    state_->fd = file.fd;
    return true;
}

UserLog::LockTry UserLog::TryLock() {
    if (flock(state_->fd, LOCK_EX | LOCK_NB) == 0) return LockTry::taken;
    return errno == EWOULDBLOCK || errno == EINTR ? LockTry::busy : LockTry::failed;
}

void UserLog::Unlock() { flock(state_->fd, LOCK_UN); }

bool UserLog::StillNamed() const {
    struct stat open {};
    struct stat named {};
    return fstat(state_->fd, &open) == 0 && lstat(path_.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::uintmax_t UserLog::Size() const {
    struct stat info {};
    return fstat(state_->fd, &info) == 0 ? static_cast<std::uintmax_t>(info.st_size) : 0;
}

void UserLog::MoveAside() { std::rename(path_.c_str(), (path_ + ".1").c_str()); }

void UserLog::Write(const std::string& line) {
    const std::string text = line + "\n";
    // One write of the whole line, so that two programs' lines never mix; a short or failed
    // write is skipped like an unwritable log.
    [[maybe_unused]] const ssize_t put = write(state_->fd, text.data(), text.size());
}

}  // namespace tarvex::platform

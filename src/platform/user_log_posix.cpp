#include "platform/user_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

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
    for (int attempt = 0; attempt < 2 && state_->fd < 0; ++attempt) {
        // O_NONBLOCK: a FIFO of that name must not hold the job in open(); it is then refused.
        const int fd = open(
            path_.c_str(),
            O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY, 0644);
        struct stat info {};
        if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            if (fd >= 0) close(fd);
            break;
        }
        if (static_cast<std::uintmax_t>(info.st_size) >= kRotateAtBytes && attempt == 0) {
            close(fd);
            std::rename(path_.c_str(), (path_ + ".1").c_str());
            continue;
        }
        state_->fd = fd;
        size_ = static_cast<std::uintmax_t>(info.st_size);
    }
    failed_ = state_->fd < 0;
    return !failed_;
}

void UserLog::Append(const std::string& line) {
    if (size_ >= kRotateAtBytes) Close();  // full: the next open moves it aside
    if (!Open()) return;
    const std::string text = line + "\n";
    // One write of the whole line, so that two programs' lines never mix; a short or failed
    // write is skipped like an unwritable log.
    const ssize_t put = write(state_->fd, text.data(), text.size());
    if (put > 0) size_ += static_cast<std::uintmax_t>(put);
}

}  // namespace tarvex::platform

#include "platform/user_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace tarvex::platform {

UserLog::UserLog(const std::string& fileName) {
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

UserLog::~UserLog() {
    if (file_ >= 0) close(file_);
}

bool UserLog::Open() {
    if (file_ >= 0) return true;
    if (path_.empty() || failed_) return false;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
    if (std::filesystem::file_size(path_, error) >= kRotateAtBytes && !error) {
        std::filesystem::rename(path_, path_ + ".1", error);
    }
    file_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    failed_ = file_ < 0;
    return !failed_;
}

void UserLog::Append(const std::string& line) {
    if (!Open()) return;
    const std::string text = line + "\n";
    // One write of the whole line, so that two programs' lines never mix; a short or failed
    // write is skipped like an unwritable log.
    (void)!write(file_, text.data(), text.size());
}

}  // namespace tarvex::platform

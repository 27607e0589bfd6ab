#include "platform/user_log.h"

#include <cstdio>
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

void UserLog::Append(const std::string& line) {
    if (path_.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
    if (std::filesystem::file_size(path_, error) >= kRotateAtBytes && !error) {
        std::filesystem::rename(path_, path_ + ".1", error);
    }
    if (std::FILE* log = std::fopen(path_.c_str(), "ae")) {
        std::fprintf(log, "%s\n", line.c_str());
        std::fclose(log);
    }
}

}  // namespace tarvex::platform

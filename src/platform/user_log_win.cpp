#include <cstdlib>

#include "platform/text.h"
#include "platform/user_log.h"
#include "platform/win32.h"

namespace tarvex::platform {

struct UserLog::State {
    HANDLE file = INVALID_HANDLE_VALUE;
};

// %LOCALAPPDATA%\Tarvex2: the user's own data of this computer, not carried between computers.
UserLog::UserLog(const std::string& fileName) : state_(std::make_unique<State>()) {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == nullptr || *local == L'\0') return;
    path_ = ToUtf8(std::wstring(local) + L"\\Tarvex2\\") + fileName;
}

UserLog::~UserLog() { Close(); }

void UserLog::Close() {
    if (state_->file != INVALID_HANDLE_VALUE) CloseHandle(state_->file);
    state_->file = INVALID_HANDLE_VALUE;
}

bool UserLog::Open() {
    if (state_->file != INVALID_HANDLE_VALUE) return true;
    if (path_.empty() || failed_) return false;
    const std::wstring path = FromSystemName(path_);
    CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    for (int attempt = 0; attempt < 2 && state_->file == INVALID_HANDLE_VALUE; ++attempt) {
        // The name itself, not what a link names; appends only; others may read, write and move
        // the file (another Tarvex2 logs to it too, and rotation moves it aside).
        const HANDLE file = CreateFileW(
            path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        if (file == INVALID_HANDLE_VALUE || GetFileType(file) != FILE_TYPE_DISK ||
            !GetFileInformationByHandle(file, &info) ||
            (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
                0) {
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
            break;
        }
        const std::uintmax_t size =
            (static_cast<std::uintmax_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        if (size >= kRotateAtBytes && attempt == 0) {
            CloseHandle(file);
            MoveFileExW(path.c_str(), (path + L".1").c_str(), MOVEFILE_REPLACE_EXISTING);
            continue;
        }
        state_->file = file;
        size_ = size;
    }
    failed_ = state_->file == INVALID_HANDLE_VALUE;
    return !failed_;
}

void UserLog::Append(const std::string& line) {
    if (size_ >= kRotateAtBytes) Close();  // full: the next open moves it aside
    if (!Open()) return;
    const std::string text = line + "\r\n";
    // One write of the whole line, so that two programs' lines never mix.
    DWORD put = 0;
    if (WriteFile(state_->file, text.data(), static_cast<DWORD>(text.size()), &put, nullptr)) {
        size_ += put;
    }
}

}  // namespace tarvex::platform

#include <cstdlib>

#include "platform/files/user_log.h"
#include "platform/text.h"
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

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The lock every writer takes: one byte far beyond any log's end, so that it never stands in
// the way of the writes themselves (Windows' locks are mandatory for the bytes they cover).
OVERLAPPED LockedByte() {
    OVERLAPPED at{};
    at.Offset = 0;
    at.OffsetHigh = 0x7FFFFFFF;
    return at;
}

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    return GetFileInformationByHandle(a, &first) && GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace

bool UserLog::Open() {
    if (state_->file != INVALID_HANDLE_VALUE) return true;
    if (path_.empty() || failed_) return false;
    const std::wstring path = FromSystemName(path_);
    CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    // The name itself, not what a link names; appends only (reading too, which LockFileEx
    // needs); others may read, write and move the file (another Tarvex2 logs to it too, and
    // rotation moves it aside).
    const HANDLE file =
        CreateFileW(path.c_str(), FILE_APPEND_DATA | GENERIC_READ, kShareAll, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    if (file == INVALID_HANDLE_VALUE || GetFileType(file) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        failed_ = true;
        return false;
    }
    state_->file = file;
    return true;
}

UserLog::LockTry UserLog::TryLock() {
    OVERLAPPED at = LockedByte();
    if (LockFileEx(state_->file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &at)) {
        return LockTry::taken;
    }
    const DWORD error = GetLastError();
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? LockTry::busy
                                                                      : LockTry::failed;
}

void UserLog::Unlock() {
    OVERLAPPED at = LockedByte();
    UnlockFileEx(state_->file, 0, 1, 0, &at);
}

bool UserLog::StillNamed() const {
    const HANDLE named = CreateFileW(FromSystemName(path_).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (named == INVALID_HANDLE_VALUE) return false;
    const bool same = SameFile(named, state_->file);
    CloseHandle(named);
    return same;
}

std::uintmax_t UserLog::Size() const {
    LARGE_INTEGER size{};
    return GetFileSizeEx(state_->file, &size) ? static_cast<std::uintmax_t>(size.QuadPart) : 0;
}

void UserLog::MoveAside() {
    const std::wstring path = FromSystemName(path_);
    MoveFileExW(path.c_str(), (path + L".1").c_str(), MOVEFILE_REPLACE_EXISTING);
}

void UserLog::Write(const std::string& line) {
    const std::string text = line + "\r\n";
    // One write of the whole line, so that two programs' lines never mix.
    DWORD put = 0;
    WriteFile(state_->file, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
}

}  // namespace tarvex::platform

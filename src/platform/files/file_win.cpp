#include <atomic>
#include <string>
#include <utility>

#include "platform/files/file.h"
#include "platform/files/sharing_retry_win.h"
#include "platform/win32.h"

namespace {

// The sharing a mode allows others: "exclusive" none, "deny write" reading.
DWORD SharingFor(UINT openFlags) {
    if (openFlags & CFile::shareExclusive) return 0;
    if (openFlags & CFile::shareDenyWrite) return FILE_SHARE_READ;
    return FILE_SHARE_READ | FILE_SHARE_WRITE;
}

DWORD AccessFor(UINT openFlags) {
    if (openFlags & CFile::modeReadWrite) return GENERIC_READ | GENERIC_WRITE;
    if (openFlags & CFile::modeWrite) return GENERIC_WRITE;
    return GENERIC_READ;
}

bool Fail(CFileException* error, DWORD osError, const std::wstring& name) {
    if (error != nullptr) {
        error->m_cause = CFileException::OsErrorToException(static_cast<LONG>(osError));
        error->m_lOsError = static_cast<LONG>(osError);
        error->m_strFileName = name;
    }
    return false;
}

// Only a file on the disk, never a pipe, a device or a console.
bool IsDiskFile(HANDLE file) { return GetFileType(file) == FILE_TYPE_DISK; }

// The folder part of `path`, with its separator; empty for a bare name.
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring NameOf(const std::wstring& path) { return path.substr(FolderOf(path).size()); }

// The attributes the new file is created with: the old file's own (hidden, system, archive),
// since a rename keeps the moved file's attributes; a file with none before is an ordinary one.
DWORD AttributesFor(HANDLE old) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    BY_HANDLE_FILE_INFORMATION info{};
    if (old == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(old, &info)) {
        return FILE_ATTRIBUTE_NORMAL;
    }
    const DWORD kept = info.dwFileAttributes & kKept;
    return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

// A name beside `target` that no other file has, ".<name>.<pid>-<n>", created here with
// `attributes` and held without sharing while it is written, so that nobody else removes it
// meanwhile.
HANDLE CreateBeside(const std::wstring& target, DWORD attributes, std::wstring& created) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = FolderOf(target) + L"." + NameOf(target) + L"." +
                  std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        const HANDLE file = CreateFileW(created.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        attributes, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

struct CFile::State {
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE targetLock = INVALID_HANDLE_VALUE;  // a created file: the old file, held meanwhile
    std::wstring target;                       // a created file: the name the new one takes
    std::wstring temporary;
    bool inPlace = false;       // a created file written over the old one by Close
    std::vector<char> pending;  // what Close writes in place
};

CFile::CFile() : state_(std::make_unique<State>()) {}

CFile::~CFile() { Abort(); }

BOOL CFile::Open(const wchar_t* fileName, UINT openFlags, CFileException* error) {
    Abort();
    const std::wstring name = fileName != nullptr ? fileName : L"";
    if (name.empty()) return Fail(error, ERROR_FILE_NOT_FOUND, name);

    if (openFlags & modeCreate) {
        // The old file, if there is one, must be a file this program may write, and is held with
        // the sharing the mode asks for until the new one takes its place.
        const HANDLE old = tarvex::platform::OpenRetryingWhileShared([&] {
            return CreateFileW(name.c_str(), GENERIC_WRITE,
                               SharingFor(openFlags) | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        });
        if (old == INVALID_HANDLE_VALUE) {
            const DWORD cause = GetLastError();
            if (cause != ERROR_FILE_NOT_FOUND) return Fail(error, cause, name);
        } else if (!IsDiskFile(old)) {
            CloseHandle(old);
            return Fail(error, ERROR_ACCESS_DENIED, name);
        }
        std::wstring temporary;
        const HANDLE file = CreateBeside(name, AttributesFor(old), temporary);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD cause = GetLastError();
            // A folder that takes no new file, with a file in it that may be written: the file
            // is written in place instead, from what Close has collected.
            if (old == INVALID_HANDLE_VALUE || cause != ERROR_ACCESS_DENIED) {
                if (old != INVALID_HANDLE_VALUE) CloseHandle(old);
                return Fail(error, cause, name);
            }
            state_->file = old;
            state_->inPlace = true;
        } else {
            state_->file = file;
            state_->temporary = temporary;
            state_->targetLock = old;
        }
        state_->target = name;
        m_strFileName = name;
        return TRUE;
    }

    const HANDLE file = tarvex::platform::OpenRetryingWhileShared([&] {
        return CreateFileW(name.c_str(), AccessFor(openFlags), SharingFor(openFlags), nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    });
    if (file == INVALID_HANDLE_VALUE) return Fail(error, GetLastError(), name);
    if (!IsDiskFile(file)) {
        CloseHandle(file);
        return Fail(error, ERROR_ACCESS_DENIED, name);
    }
    state_->file = file;
    m_strFileName = name;
    return TRUE;
}

void CFile::ThrowOsError(int osError) const {
    AfxThrowFileException(CFileException::OsErrorToException(osError), osError, m_strFileName);
}

UINT CFile::Read(void* buffer, UINT count) {
    if (state_->file == INVALID_HANDLE_VALUE) ThrowOsError(ERROR_INVALID_HANDLE);
    UINT filled = 0;
    while (filled < count) {
        DWORD got = 0;
        if (!ReadFile(state_->file, static_cast<char*>(buffer) + filled, count - filled, &got,
                      nullptr)) {
            ThrowOsError(static_cast<int>(GetLastError()));
        }
        if (got == 0) break;
        filled += got;
    }
    return filled;
}

void CFile::Write(const void* buffer, UINT count) {
    if (state_->file == INVALID_HANDLE_VALUE) ThrowOsError(ERROR_INVALID_HANDLE);
    if (state_->inPlace) {
        const auto* bytes = static_cast<const char*>(buffer);
        state_->pending.insert(state_->pending.end(), bytes, bytes + count);
        return;
    }
    UINT done = 0;
    while (done < count) {
        DWORD put = 0;
        if (!WriteFile(state_->file, static_cast<const char*>(buffer) + done, count - done, &put,
                       nullptr) ||
            put == 0) {
            const DWORD cause = GetLastError();
            ThrowOsError(static_cast<int>(cause != ERROR_SUCCESS ? cause : ERROR_DISK_FULL));
        }
        done += put;
    }
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size{};
    if (state_->file == INVALID_HANDLE_VALUE || !GetFileSizeEx(state_->file, &size)) return 0;
    return static_cast<ULONGLONG>(size.QuadPart);
}

ULONGLONG CFile::GetPosition() const {
    if (state_->inPlace) return state_->pending.size();
    LARGE_INTEGER none{};
    LARGE_INTEGER at{};
    if (state_->file == INVALID_HANDLE_VALUE ||
        !SetFilePointerEx(state_->file, none, &at, FILE_CURRENT)) {
        return 0;
    }
    return static_cast<ULONGLONG>(at.QuadPart);
}

void CFile::Close() {
    if (state_->file == INVALID_HANDLE_VALUE) return;
    if (!state_->temporary.empty()) {
        // Everything on the disk before the new file takes the old one's name.
        if (state_->targetLock != INVALID_HANDLE_VALUE) {
            CloseHandle(std::exchange(state_->targetLock, INVALID_HANDLE_VALUE));
        }
        const bool flushed = FlushFileBuffers(state_->file) != FALSE;
        CloseHandle(std::exchange(state_->file, INVALID_HANDLE_VALUE));
        if (!flushed || !MoveFileExW(state_->temporary.c_str(), state_->target.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            const DWORD cause = GetLastError();
            Abort();
            ThrowOsError(static_cast<int>(cause));
        }
        state_->temporary.clear();
    }
    if (state_->inPlace) {
        // The old file emptied and written afresh, all of it on the disk before Close returns.
        LARGE_INTEGER start{};
        DWORD put = 0;
        const std::vector<char>& bytes = state_->pending;
        const bool written =
            SetFilePointerEx(state_->file, start, nullptr, FILE_BEGIN) &&
            (bytes.empty() || (WriteFile(state_->file, bytes.data(),
                                         static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                               put == bytes.size())) &&
            SetEndOfFile(state_->file) && FlushFileBuffers(state_->file);
        if (!written) {
            const DWORD cause = GetLastError();
            Abort();
            ThrowOsError(static_cast<int>(cause));
        }
    }
    Abort();
}

void CFile::Abort() {
    if (state_->file != INVALID_HANDLE_VALUE) CloseHandle(state_->file);
    if (!state_->temporary.empty()) DeleteFileW(state_->temporary.c_str());
    if (state_->targetLock != INVALID_HANDLE_VALUE) CloseHandle(state_->targetLock);
    state_->file = state_->targetLock = INVALID_HANDLE_VALUE;
    state_->temporary.clear();
    state_->target.clear();
    state_->inPlace = false;
    state_->pending = {};
}

// A new file that a living program writes is held without sharing, so it cannot be deleted:
// whatever can be deleted was left by a program that has gone.
void CFile::RemoveAbandonedReplacements(const wchar_t* fileName) {
    if (fileName == nullptr || *fileName == L'\0') return;
    const std::wstring path = fileName;
    const std::wstring prefix = L"." + NameOf(path) + L".";
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((FolderOf(path) + prefix + L"*-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring rest = std::wstring(found.cFileName).substr(prefix.size());
        if (rest.empty() || rest.front() == L'-' ||
            rest.find_first_not_of(L"0123456789-") != std::wstring::npos) {
            continue;
        }
        DeleteFileW((FolderOf(path) + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

BOOL CFileFind::FindFile(const wchar_t* name) {
    directory_ = false;
    if (name == nullptr || *name == L'\0') return FALSE;
    const DWORD attributes = GetFileAttributesW(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
    directory_ = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return TRUE;
}

int CFileException::OsErrorToException(LONG osError) {
    switch (static_cast<DWORD>(osError)) {
        case ERROR_SUCCESS:
            return none;
        case ERROR_FILE_NOT_FOUND:
            return fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return badPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return accessDenied;
        case ERROR_INVALID_HANDLE:
            return invalidFile;
        case ERROR_CURRENT_DIRECTORY:
            return removeCurrentDir;
        case ERROR_SHARING_VIOLATION:
            return sharingViolation;
        case ERROR_LOCK_VIOLATION:
            return lockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return diskFull;
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK_ON_DEVICE:
            return badSeek;
        case ERROR_CRC:
        case ERROR_SEEK:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
            return hardIO;
        case ERROR_HANDLE_EOF:
            return endOfFile;
        default:
            return genericException;
    }
}

#include <algorithm>
#include <string>
#include <utility>

#include "platform/files/file.h"
#include "platform/files/file_steps.h"
#include "platform/files/sharing_retry_win.h"
#include "platform/win32.h"

namespace steps = tarvex::platform::file_steps;

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

// kNone is INVALID_HANDLE_VALUE's value, (HANDLE)-1.
HANDLE AsHandle(steps::Handle file) { return reinterpret_cast<HANDLE>(file); }
steps::Handle FromHandle(HANDLE file) { return reinterpret_cast<steps::Handle>(file); }

int LastError() { return static_cast<int>(GetLastError()); }

// A file that was opened, kept only where it is a file on the disk, never a pipe, a device or
// a console.
int KeepDiskFile(HANDLE opened, steps::Handle& file) {
    if (opened == INVALID_HANDLE_VALUE) return LastError();
    if (GetFileType(opened) != FILE_TYPE_DISK) {
        CloseHandle(opened);
        return ERROR_ACCESS_DENIED;
    }
    file = FromHandle(opened);
    return 0;
}

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

}  // namespace

namespace tarvex::platform::file_steps {

const int kNotFound = ERROR_FILE_NOT_FOUND;
const int kNoHandle = ERROR_INVALID_HANDLE;
const int kNameTaken = ERROR_FILE_EXISTS;
const wchar_t* const kSeparators = L"\\/";

int OpenExisting(const std::wstring& name, UINT openFlags, Handle& file) {
    return KeepDiskFile(OpenRetryingWhileShared([&] {
                            return CreateFileW(name.c_str(), AccessFor(openFlags),
                                               SharingFor(openFlags), nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr);
                        }),
                        file);
}

std::wstring ReplacedFile(const std::wstring& name) { return name; }

int HoldOldFile(const std::wstring& target, UINT openFlags, Handle& old) {
    const HANDLE opened = OpenRetryingWhileShared([&] {
        return CreateFileW(target.c_str(), GENERIC_WRITE, SharingFor(openFlags) | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    });
    if (opened == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) return 0;
    return KeepDiskFile(opened, old);
}

// Held without sharing while it is written, so that nobody else removes it meanwhile.
int CreateNew(const std::wstring& path, Handle old, Handle& file) {
    const HANDLE created = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       AttributesFor(AsHandle(old)), nullptr);
    if (created == INVALID_HANDLE_VALUE) return LastError();
    file = FromHandle(created);
    return 0;
}

bool FolderRefusesNewFiles(int error) { return error == ERROR_ACCESS_DENIED; }

// The held file was opened for writing: it is the one written.
int OpenInPlace(const std::wstring& /*target*/, Handle& old, Handle& file) {
    file = std::exchange(old, kNone);
    return 0;
}

int ReadSome(Handle file, void* buffer, UINT count, UINT& got) {
    DWORD read = 0;
    if (!ReadFile(AsHandle(file), buffer, count, &read, nullptr)) return LastError();
    got = read;
    return 0;
}

int WriteSome(Handle file, const void* buffer, UINT count, UINT& put) {
    DWORD written = 0;
    if (!WriteFile(AsHandle(file), buffer, count, &written, nullptr) || written == 0) {
        const int cause = LastError();
        return cause != ERROR_SUCCESS ? cause : ERROR_DISK_FULL;
    }
    put = written;
    return 0;
}

ULONGLONG LengthOf(Handle file) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(AsHandle(file), &size) ? static_cast<ULONGLONG>(size.QuadPart) : 0;
}

ULONGLONG PositionOf(Handle file) {
    LARGE_INTEGER none{};
    LARGE_INTEGER at{};
    return SetFilePointerEx(AsHandle(file), none, &at, FILE_CURRENT)
               ? static_cast<ULONGLONG>(at.QuadPart)
               : 0;
}

int FlushToDisk(Handle file) { return FlushFileBuffers(AsHandle(file)) ? 0 : LastError(); }

int CloseFile(Handle file) { return CloseHandle(AsHandle(file)) ? 0 : LastError(); }

// A file that is open cannot be replaced (MoveFileEx fails with ERROR_ACCESS_DENIED, even for a
// handle that shares deletion, unless the volume offers POSIX semantics): the old file is let go
// first.
int MoveOver(const std::wstring& created, const std::wstring& target, Handle& old) {
    if (old != kNone) CloseHandle(AsHandle(std::exchange(old, kNone)));
    return MoveFileExW(created.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : LastError();
}

int Rewrite(Handle file, const std::vector<char>& bytes) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(AsHandle(file), start, nullptr, FILE_BEGIN)) return LastError();
    std::size_t done = 0;
    while (done < bytes.size()) {
        UINT put = 0;
        const UINT count = static_cast<UINT>(std::min<std::size_t>(bytes.size() - done, MAXDWORD));
        if (const int cause = WriteSome(file, bytes.data() + done, count, put); cause != 0) {
            return cause;
        }
        done += put;
    }
    if (!SetEndOfFile(AsHandle(file))) return LastError();
    return FlushToDisk(file);
}

void RemoveFile(const std::wstring& path) { DeleteFileW(path.c_str()); }

std::vector<std::wstring> NamesStartingWith(const std::wstring& folder,
                                            const std::wstring& prefix) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + prefix + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// A new file that a living program writes is held without sharing, so it cannot be deleted:
// whatever can be deleted was left by a program that has gone.
void RemoveIfAbandoned(const std::wstring& path, DWORD /*owner*/) { DeleteFileW(path.c_str()); }

}  // namespace tarvex::platform::file_steps

BOOL CFileFind::FindFile(const wchar_t* name) {
    directory_ = false;
    if (name == nullptr || *name == L'\0') return FALSE;
    const DWORD attributes = GetFileAttributesW(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
    directory_ = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return TRUE;
}

#include <limits>
#include <new>

#include "platform/files/exclusive_file.h"
#include "platform/files/sharing_retry_win.h"
#include "platform/win32.h"

namespace tarvex::platform {

namespace {

// Whether the system would give this program `bytes` of memory now: reserved and released
// untouched, so it costs nothing.
bool MemoryFor(std::size_t bytes) {
    if (bytes == 0) return true;
    void* block = VirtualAlloc(nullptr, bytes, MEM_RESERVE, PAGE_READWRITE);
    if (block == nullptr) return false;
    VirtualFree(block, 0, MEM_RELEASE);
    return true;
}

}  // namespace

struct ExclusiveFile::State {
    HANDLE file = INVALID_HANDLE_VALUE;
};

ExclusiveFile::ExclusiveFile() : state_(std::make_unique<State>()) {}

ExclusiveFile::~ExclusiveFile() { Close(); }

bool ExclusiveFile::IsOpen() const { return state_->file != INVALID_HANDLE_VALUE; }

bool ExclusiveFile::Open(const std::wstring& path) {
    Close();
    refusal_.clear();
    if (path.empty()) return Refuse("cannot be read");
    // No sharing: nobody else opens the file while the job holds it, and the open fails when
    // someone else has it open. Only a file on the disk is taken (not a pipe or a device).
    const HANDLE file = OpenRetryingWhileShared([&path] {
        return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    });
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return Refuse(error == ERROR_SHARING_VIOLATION ? "in use by another program"
                      : error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                          ? "missing"
                          : "cannot be read");
    }
    LARGE_INTEGER size{};
    bool usable = GetFileType(file) == FILE_TYPE_DISK;
    if (!usable) {
        Refuse("not a regular file");
    } else if (!GetFileSizeEx(file, &size)) {
        usable = Refuse("cannot be read");
    } else {
        const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
        usable = SizeFits(bytes, bytes <= kMostBytes && MemoryFor(static_cast<std::size_t>(bytes)));
    }
    if (!usable) {
        CloseHandle(file);
        return false;
    }
    state_->file = file;
    return true;
}

std::int32_t ExclusiveFile::Length() const {
    LARGE_INTEGER size{};
    if (!IsOpen() || !GetFileSizeEx(state_->file, &size)) return 0;
    return static_cast<std::int32_t>(
        std::min<LONGLONG>(size.QuadPart, std::numeric_limits<std::int32_t>::max()));
}

bool ExclusiveFile::ReadStart(std::size_t most, std::vector<std::uint8_t>& image) {
    if (!Allocate(image, std::min(most, static_cast<std::size_t>(Length())))) return false;
    std::size_t filled = 0;
    while (filled < image.size()) {
        OVERLAPPED at{};  // positioned reads, as pread
        at.Offset = static_cast<DWORD>(filled);
        DWORD count = 0;
        const DWORD want =
            static_cast<DWORD>(std::min<std::size_t>(image.size() - filled, 1u << 30));
        if (!ReadFile(state_->file, image.data() + filled, want, &count, &at) || count == 0) {
            break;  // an error, or the file shrank meanwhile
        }
        filled += count;
    }
    image.resize(filled);
    return IsOpen();
}

void ExclusiveFile::Close() {
    if (IsOpen()) CloseHandle(state_->file);
    state_->file = INVALID_HANDLE_VALUE;
}

}  // namespace tarvex::platform

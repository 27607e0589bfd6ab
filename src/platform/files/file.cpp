#include "platform/files/file.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/files/file_steps.h"
#include "platform/text.h"

namespace steps = tarvex::platform::file_steps;

namespace {

bool Fail(CFileException* error, int osError, const std::wstring& name) {
    if (error != nullptr) {
        error->m_cause = CFileException::OsErrorToException(osError);
        error->m_lOsError = osError;
        error->m_strFileName = name;
    }
    return false;
}

// The folder part of `path`, with its separator; empty for a bare name.
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(steps::kSeparators);
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// What the new files beside `target` are called before their number: ".<name>.".
std::wstring ReplacementPrefix(const std::wstring& target) {
    return L"." + target.substr(FolderOf(target).size()) + L".";
}

// A name beside `target` that no other file has, ".<name>.<pid>-<n>", created here.
int CreateBeside(const std::wstring& target, steps::Handle old, std::wstring& created,
                 steps::Handle& file) {
    static std::atomic<unsigned> counter{0};
    int error = steps::kNameTaken;
    for (int attempt = 0; attempt < 100 && error == steps::kNameTaken; ++attempt) {
        created = FolderOf(target) + ReplacementPrefix(target) +
                  std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        error = steps::CreateNew(created, old, file);
    }
    return error;
}

// The process that made a new file, from the rest of its name after the prefix ("<pid>-<n>");
// none where the rest is not of that form, or names no process id.
std::optional<DWORD> OwnerOf(std::wstring_view rest) {
    const std::size_t dash = rest.find(L'-');
    if (dash == 0 || dash == std::wstring_view::npos ||
        rest.find_first_not_of(L"0123456789-") != std::wstring_view::npos) {
        return std::nullopt;
    }
    DWORD owner = 0;
    for (const wchar_t digit : rest.substr(0, dash)) {
        if (owner > (std::numeric_limits<DWORD>::max() - 9) / 10) return std::nullopt;
        owner = owner * 10 + static_cast<DWORD>(digit - L'0');
    }
    return owner;
}

}  // namespace

struct CFile::State {
    steps::Handle file = steps::kNone;
    steps::Handle targetLock = steps::kNone;  // a created file: the old file, held meanwhile
    std::wstring target;                      // a created file: the name the new one takes
    std::wstring temporary;
    bool inPlace = false;       // a created file written over the old one by Close
    std::vector<char> pending;  // what Close writes in place
};

CFile::CFile() : state_(std::make_unique<State>()) {}

CFile::~CFile() { Abort(); }

BOOL CFile::Open(const wchar_t* fileName, UINT openFlags, CFileException* error) {
    Abort();
    const std::wstring name = fileName != nullptr ? fileName : L"";
    if (name.empty()) return Fail(error, steps::kNotFound, name);
    if ((openFlags & modeCreate) == 0) {
        if (const int cause = steps::OpenExisting(name, openFlags, state_->file); cause != 0) {
            return Fail(error, cause, name);
        }
        m_strFileName = name;
        return TRUE;
    }

    // A link is followed to its file, and the new file goes beside that file, as editors do:
    // replacing the link itself would leave its target with the old contents. The old file,
    // if there is one, must be one this program may replace, and nobody else's to hold until
    // the new one takes its place.
    const std::wstring target = steps::ReplacedFile(name);
    if (const int cause = steps::HoldOldFile(target, openFlags, state_->targetLock); cause != 0) {
        return Fail(error, cause, name);
    }
    std::wstring created;
    const int cause = CreateBeside(target, state_->targetLock, created, state_->file);
    if (cause == 0) {
        state_->temporary = created;
    } else if (state_->targetLock != steps::kNone && steps::FolderRefusesNewFiles(cause) &&
               steps::OpenInPlace(target, state_->targetLock, state_->file) == 0) {
        // A folder that takes no new file, with a file in it that may be written: the file is
        // written in place instead, from what Close has collected.
        state_->inPlace = true;
    } else {
        Abort();
        return Fail(error, cause, name);
    }
    state_->target = target;
    m_strFileName = name;
    return TRUE;
}

void CFile::ThrowOsError(int osError) const {
    AfxThrowFileException(CFileException::OsErrorToException(osError), osError, m_strFileName);
}

UINT CFile::Read(void* buffer, UINT count) {
    if (state_->file == steps::kNone) ThrowOsError(steps::kNoHandle);
    UINT filled = 0;
    while (filled < count) {
        UINT got = 0;
        const int cause =
            steps::ReadSome(state_->file, static_cast<char*>(buffer) + filled, count - filled, got);
        if (cause != 0) ThrowOsError(cause);
        if (got == 0) break;
        filled += got;
    }
    return filled;
}

void CFile::Write(const void* buffer, UINT count) {
    if (state_->file == steps::kNone) ThrowOsError(steps::kNoHandle);
    const auto* bytes = static_cast<const char*>(buffer);
    if (state_->inPlace) {
        state_->pending.insert(state_->pending.end(), bytes, bytes + count);
        return;
    }
    UINT done = 0;
    while (done < count) {
        UINT put = 0;
        if (const int cause = steps::WriteSome(state_->file, bytes + done, count - done, put);
            cause != 0) {
            ThrowOsError(cause);
        }
        done += put;
    }
}

ULONGLONG CFile::GetLength() const {
    return state_->file == steps::kNone ? 0 : steps::LengthOf(state_->file);
}

ULONGLONG CFile::GetPosition() const {
    if (state_->inPlace) return state_->pending.size();
    return state_->file == steps::kNone ? 0 : steps::PositionOf(state_->file);
}

void CFile::Close() {
    if (state_->file == steps::kNone) return;
    int cause = 0;
    if (!state_->temporary.empty()) {
        // Everything on the disk before the new file takes the old one's name.
        cause = steps::FlushToDisk(state_->file);
        const int closed = steps::CloseFile(std::exchange(state_->file, steps::kNone));
        if (cause == 0) cause = closed;
        if (cause == 0)
            cause = steps::MoveOver(state_->temporary, state_->target, state_->targetLock);
        if (cause == 0) state_->temporary.clear();
    } else if (state_->inPlace) {
        cause = steps::Rewrite(state_->file, state_->pending);
    }
    Abort();  // a new file that did not take the old one's place goes, the old one is let go
    if (cause != 0) ThrowOsError(cause);
}

void CFile::Abort() {
    if (state_->file != steps::kNone) steps::CloseFile(state_->file);
    if (!state_->temporary.empty()) steps::RemoveFile(state_->temporary);
    if (state_->targetLock != steps::kNone) steps::CloseFile(state_->targetLock);
    state_->file = state_->targetLock = steps::kNone;
    state_->temporary.clear();
    state_->target.clear();
    state_->inPlace = false;
    state_->pending = {};
}

void CFile::RemoveAbandonedReplacements(const wchar_t* fileName) {
    if (fileName == nullptr || *fileName == L'\0') return;
    const std::wstring target = steps::ReplacedFile(fileName);
    const std::wstring folder = FolderOf(target);
    const std::wstring prefix = ReplacementPrefix(target);
    for (const std::wstring& name : steps::NamesStartingWith(folder, prefix)) {
        // Windows' search matches short names too: only a long name that starts so counts.
        if (!name.starts_with(prefix)) continue;
        const auto owner = OwnerOf(std::wstring_view(name).substr(prefix.size()));
        if (owner) steps::RemoveIfAbandoned(folder + name, *owner);
    }
}

BOOL CStdioFile::ReadString(std::wstring& line, std::size_t most) {
    line.clear();
    std::string bytes;
    while (bytes.size() < most) {
        if (at_ == buffer_.size()) {
            if (ended_) break;
            buffer_.resize(4096);
            buffer_.resize(Read(buffer_.data(), static_cast<UINT>(buffer_.size())));
            at_ = 0;
            if (buffer_.empty()) {
                ended_ = true;
                break;
            }
        }
        const char next = buffer_[at_++];
        if (next == '\n') {
            if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
            line = tarvex::platform::WidenCp1252(bytes);
            return TRUE;
        }
        bytes.push_back(next);
    }
    if (bytes.size() < most && !bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    line = tarvex::platform::WidenCp1252(bytes);
    return bytes.empty() ? FALSE : TRUE;
}

BOOL CMemFile::Open(const wchar_t* /*fileName*/, UINT openFlags, CFileException* /*error*/) {
    if (openFlags & modeCreate) bytes_.clear();
    position_ = 0;
    return TRUE;
}

UINT CMemFile::Read(void* buffer, UINT count) {
    const std::size_t take = std::min<std::size_t>(count, bytes_.size() - position_);
    if (take > 0) std::memcpy(buffer, bytes_.data() + position_, take);
    position_ += take;
    return static_cast<UINT>(take);
}

void CMemFile::Write(const void* buffer, UINT count) {
    const auto* bytes = static_cast<const BYTE*>(buffer);
    if (count == 0) return;
    bytes_.resize(std::max(bytes_.size(), position_ + count));
    std::memcpy(bytes_.data() + position_, bytes, count);
    position_ += count;
}

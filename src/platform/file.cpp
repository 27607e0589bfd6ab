#include "platform/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string_view>
#include <utility>

#include "platform/text.h"

namespace {

constexpr int kNoFile = -1;

int OpenFlagsFor(UINT openFlags) {
    switch (openFlags & 0x3) {
        case CFile::modeWrite:
            return O_WRONLY;
        case CFile::modeReadWrite:
            return O_RDWR;
        default:
            return O_RDONLY;
    }
}

// The lock a sharing mode asks for; 0 for none.
int LockFor(UINT openFlags) {
    if (openFlags & CFile::shareExclusive) return LOCK_EX;
    if (openFlags & CFile::shareDenyWrite) return LOCK_SH;
    return 0;
}

bool Fail(CFileException* error, int osError, const std::wstring& name) {
    if (error != nullptr) {
        error->m_cause = CFileException::OsErrorToException(osError);
        error->m_lOsError = osError;
        error->m_strFileName = name;
    }
    return false;
}

// A name beside `target` that no other file has: ".<name>.<pid>-<n>", created here.
int CreateBeside(const std::string& target, std::string& created, mode_t mode) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = directory + "." + name + "." + std::to_string(getpid()) + "-" +
                  std::to_string(counter++);
        const int fd = open(created.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        // Locked while it is written: a lock that nobody holds marks a dead program's file.
        if (fd >= 0) flock(fd, LOCK_EX | LOCK_NB);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return kNoFile;
}

// The file `path` names once its links are followed (the name a link names where that does not
// exist yet).
std::string FollowLinks(std::string path) {
    constexpr int kMostLinks = 40;  // as the system's own limit on a path's links
    for (int link = 0; link < kMostLinks; ++link) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length <= 0) return path;
        target.resize(static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        if (!target.starts_with('/') && slash != std::string::npos) {
            target = path.substr(0, slash + 1) + target;
        }
        path = std::move(target);
    }
    return path;
}

// Whether process `pid` runs: it exists and has not ended (an ended one waits as a zombie until
// its parent takes note).
bool ProcessRuns(pid_t pid) {
    if (pid <= 0 || (kill(pid, 0) != 0 && errno == ESRCH)) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;  // no /proc to ask: it exists
    const std::size_t end = line.rfind(')');     // "<pid> (<name>) <state> ..."
    return end == std::string::npos || line.compare(end + 1, 3, " Z ") != 0;
}

// Whether the new file `name` beside a created file was left by a program that has gone: nobody
// holds its lock, and its program no longer runs (dead, or ended and not yet reaped) or the file
// is older than the moment between its creation and its lock (its pid may be another's now).
bool Abandoned(int directory, const char* name, pid_t owner) {
    constexpr time_t kCreationMomentSeconds = 10;
    const int fd =
        openat(directory, name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool unheld =
        fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    if (!unheld) return false;
    return !ProcessRuns(owner) || std::time(nullptr) - info.st_mtime > kCreationMomentSeconds;
}

bool WriteAllAt(int fd, const std::vector<char>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put =
            pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            if (put == 0) errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace

CFile::~CFile() { Abort(); }

BOOL CFile::Open(const wchar_t* fileName, UINT openFlags, CFileException* error) {
    Abort();
    const std::wstring name = fileName != nullptr ? fileName : L"";
    if (name.empty()) return Fail(error, ENOENT, name);
    const std::string path = tarvex::platform::ToSystemName(name);
    const int lock = LockFor(openFlags);

    if (openFlags & modeCreate) {
        // A link is followed to its file, and the new file goes beside that file, as editors do:
        // replacing the link itself would leave its target with the old contents.
        const std::string target = FollowLinks(path);
        // The old file, if there is one, must be one this program may replace, and nobody
        // else's to hold: it is locked as the sharing mode says until the new one takes its
        // place.
        mode_t mode = 0666;  // less the umask, as a plain create gives
        const int old = open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (old >= 0) {
            struct stat info {};
            const bool usable = fstat(old, &info) == 0 && S_ISREG(info.st_mode) &&
                                access(target.c_str(), W_OK) == 0 &&
                                (lock == 0 || flock(old, lock | LOCK_NB) == 0);
            if (!usable) {
                const int cause = S_ISREG(info.st_mode) ? errno : EISDIR;
                close(old);
                return Fail(error, cause == 0 ? EACCES : cause, name);
            }
            mode = info.st_mode & 07777;
        } else if (errno != ENOENT) {
            return Fail(error, errno, name);
        }
        std::string temporary;
        const int fd = CreateBeside(target, temporary, mode);
        if (fd < 0) {
            const int cause = errno;
            // A folder that takes no new file, with a file in it that may be written: the file
            // is written in place instead, from what Close has collected.
            const int inPlace =
                old >= 0 && (cause == EACCES || cause == EPERM)
                    ? open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)
                    : kNoFile;
            if (inPlace < 0) {
                if (old >= 0) close(old);
                return Fail(error, cause, name);
            }
            fd_ = inPlace;
            inPlace_ = true;
        } else {
            if (old >= 0) fchmod(fd, mode);  // the old file's mode, not the umask's
            fd_ = fd;
            temporary_ = temporary;
        }
        targetLock_ = old;
        target_ = target;
        m_strFileName = name;
        return TRUE;
    }

    const int fd = open(path.c_str(), OpenFlagsFor(openFlags) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Fail(error, errno, name);
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return Fail(error, EACCES, name);
    }
    if (lock != 0 && flock(fd, lock | LOCK_NB) != 0) {
        close(fd);
        return Fail(error, EWOULDBLOCK, name);
    }
    fd_ = fd;
    m_strFileName = name;
    return TRUE;
}

void CFile::ThrowOsError(int osError) const {
    AfxThrowFileException(CFileException::OsErrorToException(osError), osError, m_strFileName);
}

UINT CFile::Read(void* buffer, UINT count) {
    if (fd_ < 0) ThrowOsError(EBADF);
    UINT filled = 0;
    while (filled < count) {
        const ssize_t got = read(fd_, static_cast<char*>(buffer) + filled, count - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ThrowOsError(errno);
        if (got == 0) break;
        filled += static_cast<UINT>(got);
    }
    return filled;
}

void CFile::Write(const void* buffer, UINT count) {
    if (fd_ < 0) ThrowOsError(EBADF);
    if (inPlace_) {
        const auto* bytes = static_cast<const char*>(buffer);
        pending_.insert(pending_.end(), bytes, bytes + count);
        return;
    }
    UINT done = 0;
    while (done < count) {
        const ssize_t put = write(fd_, static_cast<const char*>(buffer) + done, count - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) ThrowOsError(put < 0 ? errno : ENOSPC);
        done += static_cast<UINT>(put);
    }
}

ULONGLONG CFile::GetLength() const {
    struct stat info {};
    if (fd_ < 0 || fstat(fd_, &info) != 0) return 0;
    return static_cast<ULONGLONG>(info.st_size);
}

ULONGLONG CFile::GetPosition() const {
    if (inPlace_) return pending_.size();
    const off_t at = fd_ < 0 ? -1 : lseek(fd_, 0, SEEK_CUR);
    return at < 0 ? 0 : static_cast<ULONGLONG>(at);
}

void CFile::Close() {
    if (fd_ < 0) return;
    if (!temporary_.empty()) {
        // Everything on the disk before the new file takes the old one's name.
        if (fsync(fd_) != 0 || close(std::exchange(fd_, kNoFile)) != 0 ||
            rename(temporary_.c_str(), target_.c_str()) != 0) {
            const int cause = errno;
            Abort();
            ThrowOsError(cause);
        }
        temporary_.clear();
    }
    if (inPlace_) {
        // The old file emptied and written afresh, all of it on the disk before Close returns.
        if (!WriteAllAt(fd_, pending_) ||
            ftruncate(fd_, static_cast<off_t>(pending_.size())) != 0 || fsync(fd_) != 0) {
            const int cause = errno;
            Abort();
            ThrowOsError(cause);
        }
    }
    Abort();
}

void CFile::Abort() {
    if (fd_ >= 0) close(fd_);
    if (!temporary_.empty()) unlink(temporary_.c_str());
    if (targetLock_ >= 0) close(targetLock_);
    fd_ = targetLock_ = kNoFile;
    temporary_.clear();
    target_.clear();
    inPlace_ = false;
    pending_ = {};
}

void CFile::RemoveAbandonedReplacements(const wchar_t* fileName) {
    if (fileName == nullptr) return;
    const std::string path = FollowLinks(tarvex::platform::ToSystemName(fileName));
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string prefix =
        "." + (slash == std::string::npos ? path : path.substr(slash + 1)) + ".";
    DIR* entries = opendir(directory.c_str());
    if (entries == nullptr) return;
    while (const dirent* entry = readdir(entries)) {
        // ".<name>.<pid>-<n>", made by CreateBeside.
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix)) continue;
        const std::string_view rest = name.substr(prefix.size());
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string_view::npos ||
            rest.find_first_not_of("0123456789-") != std::string_view::npos) {
            continue;
        }
        const pid_t owner = static_cast<pid_t>(std::stol(std::string(rest.substr(0, dash))));
        if (Abandoned(dirfd(entries), entry->d_name, owner)) {
            unlinkat(dirfd(entries), entry->d_name, 0);
        }
    }
    closedir(entries);
}

BOOL CStdioFile::ReadString(std::wstring& line) {
    line.clear();
    std::string bytes;
    for (;;) {
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
        const char byte = buffer_[at_++];
        if (byte == '\n') {
            if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
            line = tarvex::platform::WidenCp1252(bytes);
            return TRUE;
        }
        bytes.push_back(byte);
    }
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
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

BOOL CFileFind::FindFile(const wchar_t* name) {
    directory_ = false;
    if (name == nullptr || *name == L'\0') return FALSE;
    struct stat info {};
    if (lstat(tarvex::platform::ToSystemName(name).c_str(), &info) != 0) return FALSE;
    directory_ = S_ISDIR(info.st_mode);
    return TRUE;
}

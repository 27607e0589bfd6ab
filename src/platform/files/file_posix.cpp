#include "platform/files/file.h"

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

#include "platform/files/regular_file_posix.h"
#include "platform/text.h"

using tarvex::platform::OpenRegularFile;
using tarvex::platform::RegularFile;

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
    const RegularFile file = OpenRegularFile(directory, name, O_RDONLY | O_NOFOLLOW);
    if (file.fd < 0) return false;
    const bool unheld = flock(file.fd, LOCK_EX | LOCK_NB) == 0;
    close(file.fd);
    if (!unheld) return false;
    return !ProcessRuns(owner) || std::time(nullptr) - file.info.st_mtime > kCreationMomentSeconds;
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

struct CFile::State {
    int fd = kNoFile;
    int targetLock = kNoFile;  // a created file: the old file, locked while the new one is written
    std::string target;        // a created file: the name the new one takes on Close
    std::string temporary;
    bool inPlace = false;       // a created file written over the old one by Close
    std::vector<char> pending;  // what Close writes in place
};

CFile::CFile() : state_(std::make_unique<State>()) {}

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
        const RegularFile oldFile = OpenRegularFile(AT_FDCWD, target.c_str(), O_RDONLY);
        const int old = oldFile.fd;
        if (old >= 0) {
            const bool usable =
                access(target.c_str(), W_OK) == 0 && (lock == 0 || flock(old, lock | LOCK_NB) == 0);
            if (!usable) {
                const int cause = errno;
                close(old);
                return Fail(error, cause == 0 ? EACCES : cause, name);
            }
            mode = oldFile.info.st_mode & 07777;
        } else if (oldFile.error == 0) {
            return Fail(error, EISDIR, name);  // not a file this program may replace
        } else if (oldFile.error != ENOENT) {
            return Fail(error, oldFile.error, name);
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
            state_->fd = inPlace;
            state_->inPlace = true;
        } else {
            if (old >= 0) fchmod(fd, mode);  // the old file's mode, not the umask's
            state_->fd = fd;
            state_->temporary = temporary;
        }
        state_->targetLock = old;
        state_->target = target;
        m_strFileName = name;
        return TRUE;
    }

    const RegularFile file = OpenRegularFile(AT_FDCWD, path.c_str(), OpenFlagsFor(openFlags));
    const int fd = file.fd;
    if (fd < 0) return Fail(error, file.error == 0 ? EACCES : file.error, name);
    if (lock != 0 && flock(fd, lock | LOCK_NB) != 0) {
        close(fd);
        return Fail(error, EWOULDBLOCK, name);
    }
    state_->fd = fd;
    m_strFileName = name;
    return TRUE;
}

void CFile::ThrowOsError(int osError) const {
    AfxThrowFileException(CFileException::OsErrorToException(osError), osError, m_strFileName);
}

UINT CFile::Read(void* buffer, UINT count) {
    if (state_->fd < 0) ThrowOsError(EBADF);
    UINT filled = 0;
    while (filled < count) {
        const ssize_t got = read(state_->fd, static_cast<char*>(buffer) + filled, count - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ThrowOsError(errno);
        if (got == 0) break;
        filled += static_cast<UINT>(got);
    }
    return filled;
}

void CFile::Write(const void* buffer, UINT count) {
    if (state_->fd < 0) ThrowOsError(EBADF);
    if (state_->inPlace) {
        const auto* bytes = static_cast<const char*>(buffer);
        state_->pending.insert(state_->pending.end(), bytes, bytes + count);
        return;
    }
    UINT done = 0;
    while (done < count) {
        const ssize_t put =
            write(state_->fd, static_cast<const char*>(buffer) + done, count - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) ThrowOsError(put < 0 ? errno : ENOSPC);
        done += static_cast<UINT>(put);
    }
}

ULONGLONG CFile::GetLength() const {
    struct stat info {};
    if (state_->fd < 0 || fstat(state_->fd, &info) != 0) return 0;
    return static_cast<ULONGLONG>(info.st_size);
}

ULONGLONG CFile::GetPosition() const {
    if (state_->inPlace) return state_->pending.size();
    const off_t at = state_->fd < 0 ? -1 : lseek(state_->fd, 0, SEEK_CUR);
    return at < 0 ? 0 : static_cast<ULONGLONG>(at);
}

void CFile::Close() {
    if (state_->fd < 0) return;
    if (!state_->temporary.empty()) {
        // Everything on the disk before the new file takes the old one's name.
        if (fsync(state_->fd) != 0 || close(std::exchange(state_->fd, kNoFile)) != 0 ||
            rename(state_->temporary.c_str(), state_->target.c_str()) != 0) {
            const int cause = errno;
            Abort();
            ThrowOsError(cause);
        }
        state_->temporary.clear();
    }
    if (state_->inPlace) {
        // The old file emptied and written afresh, all of it on the disk before Close returns.
        if (!WriteAllAt(state_->fd, state_->pending) ||
            ftruncate(state_->fd, static_cast<off_t>(state_->pending.size())) != 0 ||
            fsync(state_->fd) != 0) {
            const int cause = errno;
            Abort();
            ThrowOsError(cause);
        }
    }
    Abort();
}

void CFile::Abort() {
    if (state_->fd >= 0) close(state_->fd);
    if (!state_->temporary.empty()) unlink(state_->temporary.c_str());
    if (state_->targetLock >= 0) close(state_->targetLock);
    state_->fd = state_->targetLock = kNoFile;
    state_->temporary.clear();
    state_->target.clear();
    state_->inPlace = false;
    state_->pending = {};
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

BOOL CFileFind::FindFile(const wchar_t* name) {
    directory_ = false;
    if (name == nullptr || *name == L'\0') return FALSE;
    struct stat info {};
    if (lstat(tarvex::platform::ToSystemName(name).c_str(), &info) != 0) return FALSE;
    directory_ = S_ISDIR(info.st_mode);
    return TRUE;
}

int CFileException::OsErrorToException(LONG osError) {
    switch (osError) {
        case 0:
            return none;
        case ENOENT:
            return fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return badPath;
        case EMFILE:
        case ENFILE:
            return tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return accessDenied;
        case EBADF:
            return invalidFile;
        case EBUSY:
        case ETXTBSY:
        case EWOULDBLOCK:
            return sharingViolation;
        case EDEADLK:
        case ENOLCK:
            return lockViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return diskFull;
        case ESPIPE:
        case EOVERFLOW:
            return badSeek;
        case EIO:
            return hardIO;
        default:
            return genericException;
    }
}

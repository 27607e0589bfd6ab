#include "platform/files/file.h"
#include "platform/files/file_steps.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <fstream>
#include <limits>
#include <string_view>
#include <utility>

#include "platform/files/regular_file_posix.h"
#include "platform/text.h"

namespace steps = tarvex::platform::file_steps;
using tarvex::platform::FromSystemName;
using tarvex::platform::OpenRegularFile;
using tarvex::platform::RegularFile;
using tarvex::platform::ToSystemName;

namespace {

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

int Descriptor(steps::Handle file) { return static_cast<int>(file); }

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

}  // namespace

namespace tarvex::platform::file_steps {

const int kNotFound = ENOENT;
const int kNoHandle = EBADF;
const int kNameTaken = EEXIST;
const wchar_t* const kSeparators = L"/";

int OpenExisting(const std::wstring& name, UINT openFlags, Handle& file) {
    const RegularFile opened =
        OpenRegularFile(AT_FDCWD, ToSystemName(name).c_str(), OpenFlagsFor(openFlags));
    if (opened.fd < 0) return opened.error == 0 ? EACCES : opened.error;
    const int lock = LockFor(openFlags);
    if (lock != 0 && flock(opened.fd, lock | LOCK_NB) != 0) {
        close(opened.fd);
        return EWOULDBLOCK;
    }
    file = opened.fd;
    return 0;
}

std::wstring ReplacedFile(const std::wstring& name) {
    return FromSystemName(FollowLinks(ToSystemName(name)));
}

int HoldOldFile(const std::wstring& target, UINT openFlags, Handle& old) {
    const std::string path = ToSystemName(target);
    const RegularFile oldFile = OpenRegularFile(AT_FDCWD, path.c_str(), O_RDONLY);
    if (oldFile.fd < 0) {
        if (oldFile.error == 0) return EISDIR;  // not a file this program may replace
        return oldFile.error == ENOENT ? 0 : oldFile.error;
    }
    const int lock = LockFor(openFlags);
    errno = 0;
    if (access(path.c_str(), W_OK) != 0 || (lock != 0 && flock(oldFile.fd, lock | LOCK_NB) != 0)) {
        const int cause = errno;
        close(oldFile.fd);
        return cause == 0 ? EACCES : cause;
    }
    old = oldFile.fd;
    return 0;
}

int CreateNew(const std::wstring& path, Handle old, Handle& file) {
    struct stat info {};
    // The old file's mode, not the umask's; with none, what a plain create gives.
    const bool keepsMode = old != kNone && fstat(Descriptor(old), &info) == 0;
    const mode_t mode = keepsMode ? info.st_mode & 07777 : 0666;
    const int fd = open(ToSystemName(path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return errno;
    // Locked while it is written: a lock that nobody holds marks a dead program's file.
    flock(fd, LOCK_EX | LOCK_NB);
    if (keepsMode) fchmod(fd, mode);
    file = fd;
    return 0;
}

bool FolderRefusesNewFiles(int error) { return error == EACCES || error == EPERM; }

int OpenInPlace(const std::wstring& target, Handle& /*old*/, Handle& file) {
    const int fd = open(ToSystemName(target).c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno;
    file = fd;
    return 0;
}

int ReadSome(Handle file, void* buffer, UINT count, UINT& got) {
    ssize_t taken = 0;
    do {
        taken = read(Descriptor(file), buffer, count);
    } while (taken < 0 && errno == EINTR);
    if (taken < 0) return errno;
    got = static_cast<UINT>(taken);
    return 0;
}

int WriteSome(Handle file, const void* buffer, UINT count, UINT& put) {
    ssize_t written = 0;
    do {
        written = write(Descriptor(file), buffer, count);
    } while (written < 0 && errno == EINTR);
    if (written <= 0) return written < 0 ? errno : ENOSPC;
    put = static_cast<UINT>(written);
    return 0;
}

ULONGLONG LengthOf(Handle file) {
    struct stat info {};
    return fstat(Descriptor(file), &info) == 0 ? static_cast<ULONGLONG>(info.st_size) : 0;
}

ULONGLONG PositionOf(Handle file) {
    const off_t at = lseek(Descriptor(file), 0, SEEK_CUR);
    return at < 0 ? 0 : static_cast<ULONGLONG>(at);
}

int FlushToDisk(Handle file) { return fsync(Descriptor(file)) == 0 ? 0 : errno; }

int CloseFile(Handle file) { return close(Descriptor(file)) == 0 ? 0 : errno; }

// The old file stays locked through the rename, so nobody writes it in between.
int MoveOver(const std::wstring& created, const std::wstring& target, Handle& /*old*/) {
    return rename(ToSystemName(created).c_str(), ToSystemName(target).c_str()) == 0 ? 0 : errno;
}

int Rewrite(Handle file, const std::vector<char>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = pwrite(Descriptor(file), bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return put < 0 ? errno : ENOSPC;
        done += static_cast<std::size_t>(put);
    }
    if (ftruncate(Descriptor(file), static_cast<off_t>(bytes.size())) != 0) return errno;
    return FlushToDisk(file);
}

void RemoveFile(const std::wstring& path) { unlink(ToSystemName(path).c_str()); }

std::vector<std::wstring> NamesStartingWith(const std::wstring& folder,
                                            const std::wstring& prefix) {
    std::vector<std::wstring> names;
    DIR* entries = opendir(folder.empty() ? "." : ToSystemName(folder).c_str());
    if (entries == nullptr) return names;
    const std::string start = ToSystemName(prefix);
    while (const dirent* entry = readdir(entries)) {
        const std::string_view name = entry->d_name;
        if (name.starts_with(start)) names.push_back(FromSystemName(name));
    }
    closedir(entries);
    return names;
}

// Gone: nobody holds its lock, and its program no longer runs (dead, or ended and not yet
// reaped) or the file is older than the moment between its creation and its lock (its pid may
// be another's now).
void RemoveIfAbandoned(const std::wstring& path, DWORD owner) {
    constexpr time_t kCreationMomentSeconds = 10;
    const std::string name = ToSystemName(path);
    const RegularFile file = OpenRegularFile(AT_FDCWD, name.c_str(), O_RDONLY | O_NOFOLLOW);
    if (file.fd < 0) return;
    const bool unheld = flock(file.fd, LOCK_EX | LOCK_NB) == 0;
    close(file.fd);
    const bool gone = owner > static_cast<DWORD>(std::numeric_limits<pid_t>::max()) ||
                      !ProcessRuns(static_cast<pid_t>(owner)) ||
                      std::time(nullptr) - file.info.st_mtime > kCreationMomentSeconds;
    if (unheld && gone) unlink(name.c_str());
}

}  // namespace tarvex::platform::file_steps

BOOL CFileFind::FindFile(const wchar_t* name) {
    directory_ = false;
    if (name == nullptr || *name == L'\0') return FALSE;
    struct stat info {};
    if (lstat(ToSystemName(name).c_str(), &info) != 0) return FALSE;
    directory_ = S_ISDIR(info.st_mode);
    return TRUE;
}

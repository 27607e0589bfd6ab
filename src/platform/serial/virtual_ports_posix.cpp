#include "platform/serial/virtual_ports.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

#include "platform/files/regular_file_posix.h"
#include "platform/os_error.h"
#include "platform/serial/serial_ports.h"
#include "platform/text.h"

namespace tarvex::platform {

namespace {

constexpr std::size_t kMostEntryBytes = 4096;  // a pid, a path and a description

// A folder the table may live in: a real directory (not a link) of this user's that no one else
// may write.
bool TrustedFolder(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The user's runtime folder: $XDG_RUNTIME_DIR, or where Qt's runtime location falls back to
// without it (a session from su or ssh, a container): <temp>/runtime-<user>.
std::string RuntimeFolder(bool create) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') return runtime;
    const passwd* user = getpwuid(geteuid());
    if (user == nullptr || user->pw_name == nullptr) return {};
    const char* temp = std::getenv("TMPDIR");
    std::string folder = temp != nullptr && *temp == '/' ? temp : "/tmp";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    folder += std::string("/runtime-") + user->pw_name;
    if (create) mkdir(folder.c_str(), 0700);
    return folder;
}

// The table's folder, made when `create` asks for it; empty, with the reason in `why`, when
// there is none to trust.
std::string TableFolder(bool create, std::string* why = nullptr) {
    auto untrusted = [why](const std::string& folder, const char* reason) {
        if (why != nullptr) *why = folder + " " + reason;
        return std::string();
    };
    std::string folder = RuntimeFolder(create);
    if (folder.empty() || folder.front() != '/') {
        return untrusted("the runtime folder", "is unknown (the user database has no entry)");
    }
    if (!TrustedFolder(folder)) {
        return untrusted(folder, "is missing, or not a folder of this user's alone");
    }
    for (const char* level : {"/tarvex2", "/ports"}) {
        folder += level;
        if (create) mkdir(folder.c_str(), 0700);
        if (!TrustedFolder(folder)) {
            return untrusted(folder, "is missing, or not a folder of this user's alone");
        }
    }
    return folder;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

struct Entry {
    std::string port;
    std::string what;
};

// The port an entry names and what it is, when the entry is a regular file of this user's and
// its program still runs (it holds the entry's lock). An entry nobody holds is removed.
std::optional<Entry> ReadEntry(int folder, const char* name) {
    const RegularFile file = OpenRegularFile(folder, name, O_RDONLY | O_NOFOLLOW);
    const int fd = file.fd;
    if (fd < 0) return std::nullopt;
    std::optional<Entry> port;
    if (file.info.st_uid == geteuid()) {
        if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
            unlinkat(folder, name, 0);  // its program has gone
        } else if (errno == EWOULDBLOCK) {
            std::string text(kMostEntryBytes, '\0');
            const ssize_t got = pread(fd, text.data(), text.size(), 0);
            text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            // "<pid>\n<port>\n<what>\n"
            const std::size_t first = text.find('\n');
            const std::size_t second =
                first == std::string::npos ? first : text.find('\n', first + 1);
            if (second != std::string::npos) {
                const std::size_t third = text.find('\n', second + 1);
                port =
                    Entry{text.substr(first + 1, second - first - 1),
                          text.substr(second + 1, third == std::string::npos ? std::string::npos
                                                                             : third - second - 1)};
            }
        }
    }
    close(fd);
    return port;
}

bool IsCharacterDevice(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

}  // namespace

struct VirtualPortRegistration::State {
    int fd = -1;
};

VirtualPortRegistration::VirtualPortRegistration(const std::string& portPath,
                                                 const std::string& what)
    : state_(std::make_unique<State>()) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = TableFolder(true, &why_);
    if (folder.empty()) return;
    // Entries sort by the time they were made: seconds since the epoch, then pid and a count.
    const std::string name = std::to_string(std::time(nullptr)) + "-" + std::to_string(getpid()) +
                             "-" + std::to_string(counter++);
    // Written and locked under a hidden name first, so that no reader ever sees the entry
    // unlocked and takes it for a dead program's.
    const std::string hidden = folder + "/." + name;
    const std::string entry = folder + "/" + name;
    const int fd = open(hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        why_ = hidden + ": " + OsErrorText(static_cast<std::uint32_t>(errno));
        return;
    }
    const bool ok = flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                    WriteAll(fd, std::to_string(getpid()) + "\n" + portPath + "\n" + what + "\n") &&
                    rename(hidden.c_str(), entry.c_str()) == 0;
    if (!ok) {
        why_ = entry + ": " + OsErrorText(static_cast<std::uint32_t>(errno));
        unlink(hidden.c_str());
        close(fd);
        return;
    }
    state_->fd = fd;
    entry_ = entry;
}

VirtualPortRegistration::~VirtualPortRegistration() {
    if (!entry_.empty()) unlink(entry_.c_str());
    if (state_->fd >= 0) close(state_->fd);
}

std::vector<std::wstring> ListVirtualPorts() {
    std::vector<std::wstring> names;
    for (DescribedPort& port : ListVirtualPortEntries()) names.push_back(std::move(port.name));
    return names;
}

std::vector<DescribedPort> ListVirtualPortEntries() {
    std::vector<DescribedPort> ports;
    const std::string folder = TableFolder(false);
    if (folder.empty()) return ports;
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* entries = fd < 0 ? nullptr : fdopendir(fd);
    if (entries == nullptr) {
        if (fd >= 0) close(fd);
        return ports;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(entries)) {
        if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);  // hidden: being made
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::optional<Entry> entry = ReadEntry(dirfd(entries), name.c_str());
        if (!entry || !IsCharacterDevice(entry->port)) continue;
        std::wstring port = FromSystemName(entry->port);
        if (port.size() > kMaxPortNameLength) continue;  // the job would open another name
        ports.push_back({std::move(port), FromSystemName(entry->what)});
    }
    closedir(entries);
    return ports;
}

}  // namespace tarvex::platform

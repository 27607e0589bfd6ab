// Each notification has a watcher thread that sleeps in poll() on its inotify descriptor and on
// an eventfd that closing the handle writes to; the kernel-object waits themselves never poll.
#include "platform/posix/change_notification.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/posix/kernel_internal.h"
#include "platform/text.h"

namespace {

using namespace tarvex::platform::detail;

std::uint32_t InotifyMask(DWORD filter) {
    std::uint32_t mask = 0;
    if (filter & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME)) {
        mask |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    }
    if (filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)) mask |= IN_ATTRIB;
    if (filter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)) {
        mask |= IN_MODIFY | IN_CLOSE_WRITE;
    }
    if (filter & FILE_NOTIFY_CHANGE_LAST_ACCESS) mask |= IN_ACCESS;
    if (filter & FILE_NOTIFY_CHANGE_CREATION) mask |= IN_CREATE;
    return mask;
}

class ChangeNotification final : public Waitable {
  public:
    ChangeNotification(int inotifyFd, int stopFd) : inotifyFd_(inotifyFd), stopFd_(stopFd) {}
    ~ChangeNotification() override { Stop(); }

    void Start() {
        watcher_ = std::thread([this] { Watch(); });
    }

    bool TryAcquire(Clock::time_point) override { return signalled_; }
    void Rearm() { signalled_ = false; }
    void OnClose() override { Stop(); }

  private:
    void Watch() {
        pollfd fds[2] = {{inotifyFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        char events[4096];
        for (;;) {
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents != 0 || (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))) return;
            if (read(inotifyFd_, events, sizeof events) <= 0) continue;
            std::lock_guard lock(KernelLock());
            signalled_ = true;
            WakeWaiters();
        }
    }

    void Stop() {
        if (watcher_.joinable()) {
            const std::uint64_t one = 1;
            (void)!write(stopFd_, &one, sizeof one);
            watcher_.join();
        }
        if (inotifyFd_ >= 0) close(inotifyFd_);
        if (stopFd_ >= 0) close(stopFd_);
        inotifyFd_ = stopFd_ = -1;
    }

    int inotifyFd_;
    int stopFd_;
    bool signalled_ = false;  // guarded by KernelLock()
    std::thread watcher_;
};

}  // namespace

HANDLE FindFirstChangeNotificationW(const wchar_t* path, BOOL watchSubtree, DWORD filter) {
    const std::uint32_t mask = InotifyMask(filter);
    if (path == nullptr || mask == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (watchSubtree) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return INVALID_HANDLE_VALUE;
    }
    const int inotifyFd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    const int stopFd = eventfd(0, EFD_CLOEXEC);
    auto fail = [&](DWORD error) {
        if (inotifyFd >= 0) close(inotifyFd);
        if (stopFd >= 0) close(stopFd);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    };
    if (inotifyFd < 0 || stopFd < 0) return fail(ERROR_NOT_ENOUGH_MEMORY);
    const std::string directory = tarvex::platform::ToSystemName(path);
    if (inotify_add_watch(inotifyFd, directory.c_str(), mask | IN_ONLYDIR) < 0) {
        return fail(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                        : ERROR_INVALID_PARAMETER);
    }
    auto notification = std::make_shared<ChangeNotification>(inotifyFd, stopFd);
    notification->Start();
    std::lock_guard lock(KernelLock());
    HANDLE handle = InsertHandle(notification);
    return handle != nullptr ? handle : INVALID_HANDLE_VALUE;
}

BOOL FindNextChangeNotification(HANDLE notification) {
    std::lock_guard lock(KernelLock());
    auto object = LookUp<ChangeNotification>(notification);
    if (!object) return FALSE;
    object->Rearm();
    return TRUE;
}

BOOL FindCloseChangeNotification(HANDLE notification) {
    {
        std::lock_guard lock(KernelLock());
        if (!LookUp<ChangeNotification>(notification)) return FALSE;
    }
    return CloseHandle(notification);
}

#include "platform/posix/kernel_objects.h"

#include <algorithm>
#include <unordered_map>

#include "platform/posix/kernel_internal.h"

namespace tarvex::platform::detail {
namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

struct HandleTable {
    std::unordered_map<std::uintptr_t, std::shared_ptr<Waitable>> objects;
    // Handle values grow by 4 like Windows ones and are never reused.
    std::uintptr_t nextValue = 0x100;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

class Event final : public Waitable {
  public:
    Event(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}

    bool TryAcquire(Clock::time_point) override {
        if (!signalled_) return false;
        if (!manualReset_) signalled_ = false;
        return true;
    }
    void Set() {
        signalled_ = true;
        WakeWaiters();
    }
    void Reset() { signalled_ = false; }

  private:
    const bool manualReset_;
    bool signalled_;
};

class WaitableTimer final : public Waitable {
  public:
    explicit WaitableTimer(bool manualReset) : manualReset_(manualReset) {}

    bool TryAcquire(Clock::time_point now) override {
        if (due_ && now >= *due_) {
            signalled_ = true;
            if (period_.count() > 0) {
                while (*due_ <= now) *due_ += period_;
            } else {
                due_.reset();
            }
        }
        if (!signalled_) return false;
        if (!manualReset_) signalled_ = false;
        return true;
    }
    std::optional<Clock::time_point> DueTime() const override { return due_; }

    void Arm(Clock::time_point due, std::chrono::milliseconds period) {
        signalled_ = false;  // setting a timer makes it non-signalled until it is due again
        due_ = due;
        period_ = period;
        WakeWaiters();  // waiters recompute when to look again
    }
    void Cancel() { due_.reset(); }

  private:
    const bool manualReset_;
    bool signalled_ = false;
    std::optional<Clock::time_point> due_;
    std::chrono::milliseconds period_{0};
};

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kFileTimeUnixEpoch = 116444736000000000;

Clock::time_point DueTimeFrom(std::int64_t due) {
    using std::chrono::duration_cast;
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
    if (due < 0) return Clock::now() + duration_cast<Clock::duration>(Ticks(-due));
    auto wall = std::chrono::system_clock::time_point(
        duration_cast<std::chrono::system_clock::duration>(Ticks(due - kFileTimeUnixEpoch)));
    return Clock::now() + duration_cast<Clock::duration>(wall - std::chrono::system_clock::now());
}

// Waits for the first of `objects` to be signalled, or for new input when `wakeOnInput`.
DWORD WaitForAny(const std::vector<std::shared_ptr<Waitable>>& objects, DWORD timeoutMs,
                 bool wakeOnInput, std::unique_lock<std::mutex>& lock) {
    ThreadState& self = CurrentThread();
    const auto count = static_cast<DWORD>(objects.size());
    std::optional<Clock::time_point> deadline;
    if (timeoutMs != INFINITE) deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);

    for (const auto& object : objects) object->AddWaiter(&self);
    DWORD result = WAIT_TIMEOUT;
    for (;;) {
        const auto now = Clock::now();
        auto signalled = std::find_if(objects.begin(), objects.end(), [now](const auto& object) {
            return object->TryAcquire(now);
        });
        if (signalled != objects.end()) {
            result = WAIT_OBJECT_0 + static_cast<DWORD>(signalled - objects.begin());
            break;
        }
        if (wakeOnInput && self.newInput) {
            result = WAIT_OBJECT_0 + count;
            break;
        }
        if (deadline && now >= *deadline) break;

        std::optional<Clock::time_point> wakeAt = deadline;
        for (const auto& object : objects) {
            if (auto due = object->DueTime(); due && (!wakeAt || *due < *wakeAt)) wakeAt = due;
        }
        if (wakeAt) {
            self.wake.wait_until(lock, *wakeAt);
        } else {
            self.wake.wait(lock);
        }
    }
    for (const auto& object : objects) object->RemoveWaiter(&self);
    return result;
}

DWORD Wait(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs, bool wakeOnInput,
           DWORD maxCount) {
    if (waitAll || count > maxCount || (count > 0 && handles == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::unique_lock lock(KernelLock());
    std::vector<std::shared_ptr<Waitable>> objects;
    objects.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        auto object = LookUpHandle(handles[i]);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    return WaitForAny(objects, timeoutMs, wakeOnInput, lock);
}

}  // namespace

std::mutex& KernelLock() {
    static std::mutex lock;
    return lock;
}

void Waitable::RemoveWaiter(ThreadState* waiter) {
    auto it = std::find(waiters_.begin(), waiters_.end(), waiter);
    if (it != waiters_.end()) waiters_.erase(it);
}

void Waitable::WakeWaiters() {
    for (ThreadState* waiter : waiters_) waiter->wake.notify_one();
}

HANDLE InsertHandle(std::shared_ptr<Waitable> object) {
    HandleTable& table = Table();
    try {
        table.objects.emplace(table.nextValue, std::move(object));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto handle = reinterpret_cast<HANDLE>(table.nextValue);
    table.nextValue += 4;
    return handle;
}

std::shared_ptr<Waitable> RemoveHandle(HANDLE handle) {
    auto& objects = Table().objects;
    auto it = objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == objects.end()) return nullptr;
    auto object = std::move(it->second);
    objects.erase(it);
    return object;
}

std::shared_ptr<Waitable> LookUpHandle(HANDLE handle) {
    auto& objects = Table().objects;
    auto it = objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == objects.end() ? nullptr : it->second;
}

}  // namespace tarvex::platform::detail

using namespace tarvex::platform::detail;

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

HANDLE CreateEventW(SECURITY_ATTRIBUTES* security, BOOL manualReset, BOOL initialState,
                    const wchar_t* name) {
    if (security != nullptr || name != nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    std::lock_guard lock(KernelLock());
    try {
        return InsertHandle(std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

BOOL SetEvent(HANDLE event) {
    std::lock_guard lock(KernelLock());
    auto object = LookUp<Event>(event);
    if (!object) return FALSE;
    object->Set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event) {
    std::lock_guard lock(KernelLock());
    auto object = LookUp<Event>(event);
    if (!object) return FALSE;
    object->Reset();
    return TRUE;
}

HANDLE CreateWaitableTimerW(SECURITY_ATTRIBUTES* security, BOOL manualReset, const wchar_t* name) {
    if (security != nullptr || name != nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    std::lock_guard lock(KernelLock());
    try {
        return InsertHandle(std::make_shared<WaitableTimer>(manualReset != FALSE));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

BOOL SetWaitableTimer(HANDLE timer, const LARGE_INTEGER* dueTime, LONG period,
                      void (*completionRoutine)(void*, DWORD, DWORD), void* /*routineArg*/,
                      BOOL resume) {
    // Completion routines need alertable waits and resume needs power management: neither exists.
    if (dueTime == nullptr || period < 0 || completionRoutine != nullptr || resume) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto due = DueTimeFrom(dueTime->QuadPart);
    std::lock_guard lock(KernelLock());
    auto object = LookUp<WaitableTimer>(timer);
    if (!object) return FALSE;
    object->Arm(due, std::chrono::milliseconds(period));
    return TRUE;
}

BOOL CancelWaitableTimer(HANDLE timer) {
    std::lock_guard lock(KernelLock());
    auto object = LookUp<WaitableTimer>(timer);
    if (!object) return FALSE;
    object->Cancel();
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    std::shared_ptr<Waitable> object;
    {
        std::lock_guard lock(KernelLock());
        object = RemoveHandle(handle);
    }
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->OnClose();
    return TRUE;  // a thread still waiting on the object keeps it alive until its wait ends
}

DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs) {
    return Wait(1, &handle, FALSE, timeoutMs, false, 1);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs) {
    if (count == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    return Wait(count, handles, waitAll, timeoutMs, false, MAXIMUM_WAIT_OBJECTS);
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs,
                                DWORD wakeMask) {
    // Only posted messages reach a queue of this layer; any other wake bit cannot fire.
    const bool wakeOnInput = (wakeMask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) != 0;
    return Wait(count, handles, waitAll, timeoutMs, wakeOnInput, MAXIMUM_WAIT_OBJECTS - 1);
}

DWORD GetTickCount() {
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    return static_cast<DWORD>(duration_cast<milliseconds>(Clock::now().time_since_epoch()).count());
}

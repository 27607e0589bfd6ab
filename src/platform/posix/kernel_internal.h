// Private to the platform layer: the state behind kernel handles, waits and thread queues.
//
// One mutex, KernelLock(), guards every object's state, every waiter list and every thread's
// queue. A waiting thread sleeps on its own condition variable; whoever signals an object or
// posts to a queue wakes exactly the threads waiting on it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/posix/kernel_objects.h"
#include "platform/posix/win32_types.h"

namespace tarvex::platform::detail {

using Clock = std::chrono::steady_clock;

std::mutex& KernelLock();

// Everything the layer knows about one thread of the process.
struct ThreadState {
    DWORD id = 0;
    std::condition_variable wake;  // waited on under KernelLock()
    bool hasQueue = false;
    std::deque<MSG> queue;
    bool newInput = false;  // a message arrived since the thread last looked at its queue
};

// The calling thread's state (made on first use). The id can be fixed in advance by the thread
// creator through AdoptThreadId before anything else runs on the new thread.
ThreadState& CurrentThread();
void AdoptThreadId(DWORD id);
DWORD AllocateThreadId();

// Called with KernelLock() held: the thread's queue, or null when it has none.
ThreadState* FindQueue(DWORD threadId);

// Called with KernelLock() held: gives the calling thread its queue if it has none yet.
void CreateCurrentQueue();

// Drops the calling thread's queue; later posts to it fail. Takes KernelLock() itself.
void ReleaseCurrentQueue();

// A waitable kernel object. All members are used with KernelLock() held.
class Waitable {
  public:
    virtual ~Waitable() = default;

    // True when the object is signalled at `now`; takes the signal of auto-reset objects.
    virtual bool TryAcquire(Clock::time_point now) = 0;

    // When the object will become signalled by itself (timers), if ever.
    virtual std::optional<Clock::time_point> DueTime() const { return std::nullopt; }

    // Called by CloseHandle, without KernelLock() held, once the handle is gone.
    virtual void OnClose() {}

    void AddWaiter(ThreadState* waiter) { waiters_.push_back(waiter); }
    void RemoveWaiter(ThreadState* waiter);
    void WakeWaiters();

  private:
    std::vector<ThreadState*> waiters_;
};

// The handle table is guarded by KernelLock() as well; these three are called with it held.

// Registers an object and returns its new handle (none when out of memory).
HANDLE InsertHandle(std::shared_ptr<Waitable> object);

// Removes a handle from the table and returns its object, or null when it was not there.
std::shared_ptr<Waitable> RemoveHandle(HANDLE handle);

// The object behind a handle, or null when the handle is closed or was never issued.
std::shared_ptr<Waitable> LookUpHandle(HANDLE handle);

// The object behind a handle if it is a T; otherwise null with ERROR_INVALID_HANDLE set.
template <typename T>
std::shared_ptr<T> LookUp(HANDLE handle) {
    auto object = std::dynamic_pointer_cast<T>(LookUpHandle(handle));
    if (!object) SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

}  // namespace tarvex::platform::detail

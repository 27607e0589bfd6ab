#include "platform/posix/threads.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <unordered_map>

#include "platform/posix/kernel_internal.h"

namespace tarvex::platform::detail {
namespace {

std::atomic<DWORD> g_nextThreadId{1000};

// Threads that have a message queue, by id. Guarded by KernelLock().
std::unordered_map<DWORD, ThreadState*>& Queues() {
    static std::unordered_map<DWORD, ThreadState*> queues;
    return queues;
}

thread_local DWORD t_adoptedId = 0;

void ReleaseQueue(ThreadState& state) {
    std::lock_guard lock(KernelLock());
    if (!state.hasQueue) return;
    Queues().erase(state.id);
    state.hasQueue = false;
    state.queue.clear();
    state.newInput = false;
}

// The calling thread's state; its queue is dropped when the thread ends.
struct ThreadSlot {
    ThreadSlot() { state.id = t_adoptedId != 0 ? t_adoptedId : AllocateThreadId(); }
    ~ThreadSlot() { ReleaseQueue(state); }
    ThreadState state;
};

ThreadSlot& Slot() {
    thread_local ThreadSlot slot;
    return slot;
}

class Thread final : public Waitable {
  public:
    explicit Thread(bool suspended) : suspendCount_(suspended ? 1 : 0) {}

    bool TryAcquire(Clock::time_point) override { return ended_; }

    void Finish(DWORD exitCode) {
        exitCode_ = exitCode;
        ended_ = true;
        WakeWaiters();
    }
    DWORD ExitCode() const { return ended_ ? exitCode_ : STILL_ACTIVE; }

    DWORD Resume() {
        const DWORD previous = suspendCount_;
        if (suspendCount_ > 0 && --suspendCount_ == 0) resumed_.notify_all();
        return previous;
    }
    void WaitUntilResumed(std::unique_lock<std::mutex>& lock) {
        resumed_.wait(lock, [this] { return suspendCount_ == 0; });
    }

  private:
    DWORD suspendCount_;
    std::condition_variable resumed_;
    bool ended_ = false;
    DWORD exitCode_ = 0;
};

struct StartInfo {
    std::shared_ptr<Thread> thread;
    DWORD id;
    LPTHREAD_START_ROUTINE proc;
    void* argument;
};

void* RunThread(void* raw) {
    std::unique_ptr<StartInfo> info(static_cast<StartInfo*>(raw));
    AdoptThreadId(info->id);
    {
        std::unique_lock lock(KernelLock());
        info->thread->WaitUntilResumed(lock);
    }
    const DWORD exitCode = info->proc(info->argument);
    // The queue goes first, so that a post after the handle is signalled fails.
    ReleaseCurrentQueue();
    std::lock_guard lock(KernelLock());
    info->thread->Finish(exitCode);
    return nullptr;
}

}  // namespace

DWORD AllocateThreadId() { return g_nextThreadId.fetch_add(4); }

void AdoptThreadId(DWORD id) { t_adoptedId = id; }

ThreadState& CurrentThread() { return Slot().state; }

ThreadState* FindQueue(DWORD threadId) {
    auto it = Queues().find(threadId);
    return it == Queues().end() ? nullptr : it->second;
}

void ReleaseCurrentQueue() { ReleaseQueue(CurrentThread()); }

void CreateCurrentQueue() {
    ThreadState& self = CurrentThread();
    if (self.hasQueue) return;
    Queues()[self.id] = &self;
    self.hasQueue = true;
}

}  // namespace tarvex::platform::detail

using namespace tarvex::platform::detail;

HANDLE CreateThread(SECURITY_ATTRIBUTES* /*security*/, std::size_t stackSize,
                    LPTHREAD_START_ROUTINE proc, void* argument, DWORD creationFlags,
                    DWORD* threadId) {
    if (proc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<Thread> thread;
    HANDLE handle = nullptr;
    {
        std::lock_guard lock(KernelLock());
        try {
            thread = std::make_shared<Thread>((creationFlags & CREATE_SUSPENDED) != 0);
        } catch (const std::bad_alloc&) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        handle = InsertHandle(thread);
        if (handle == nullptr) return nullptr;
    }
    const DWORD id = AllocateThreadId();
    auto* info = new (std::nothrow) StartInfo{thread, id, proc, argument};

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    int error = info == nullptr ? ENOMEM : 0;
    if (error == 0 && stackSize != 0) error = pthread_attr_setstacksize(&attributes, stackSize);
    pthread_t native;
    if (error == 0) error = pthread_create(&native, &attributes, RunThread, info);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete info;
        CloseHandle(handle);
        SetLastError(error == ENOMEM || error == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY
                                                        : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (threadId != nullptr) *threadId = id;
    return handle;
}

DWORD ResumeThread(HANDLE thread) {
    std::lock_guard lock(KernelLock());
    auto object = LookUp<Thread>(thread);
    return object ? object->Resume() : static_cast<DWORD>(-1);
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
    std::lock_guard lock(KernelLock());
    auto object = LookUp<Thread>(thread);
    if (!object || exitCode == nullptr) return FALSE;
    *exitCode = object->ExitCode();
    return TRUE;
}

DWORD GetCurrentThreadId() { return CurrentThread().id; }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

void ExitProcess(UINT exitCode) {
    std::fflush(nullptr);
    _exit(static_cast<int>(exitCode));
}

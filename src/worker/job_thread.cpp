#include "worker/job_thread.h"

#include <chrono>
#include <cstdio>

#include "platform/exceptions.h"
#include "platform/system/threads.h"
#include "platform/text.h"
#include "platform/win32.h"
#include "worker/job_thread_proc.h"
#include "worker/thread_name.h"
#include "worker/wait_pumping.h"

using tarvex::worker::kMaxWaitEntries;
using tarvex::worker::kWakeOnAnyInput;
using tarvex::worker::PublishThreadName;

namespace {

bool IsSet(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

DWORD MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

// Asks a thread of this object to quit and waits for it. The object's end flag is set before:
// a job that stops its own thread takes a WM_QUIT in its own wait and drops it, and the flag
// then ends the loop as soon as the job returns.
bool QuitAndWait(HANDLE thread, DWORD id, DWORD timeoutMs) {
    if (id != 0) PostThreadMessageW(id, WM_QUIT, 0, 0);
    return WaitPumpingMessages(thread, timeoutMs);
}

// A timer is stopped by arming it far ahead and cancelling that at once, so that it is left
// inactive and not signalled before its handle goes.
BOOL CloseTimer(HANDLE timer) {
    if (timer != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER tenSeconds;
        tenSeconds.QuadPart = -100'000'000;
        SetWaitableTimer(timer, &tenSeconds, 0, nullptr, nullptr, FALSE);
        CancelWaitableTimer(timer);
    }
    return CloseHandle(timer);
}

BOOL CloseEntryHandle(const WaitEntry& entry) {
    switch (entry.kind) {
        case WaitKind::Timer:
            return CloseTimer(entry.handle);
        case WaitKind::ChangeNotification:
            return FindCloseChangeNotification(entry.handle);
        case WaitKind::Event:
        default:
            return CloseHandle(entry.handle);
    }
}

}  // namespace

CJobThread::CJobThread() { startedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }

CJobThread::~CJobThread() {
    EndThreads();
    if (startedEvent != nullptr) CloseHandle(startedEvent);
    for (std::size_t i = 0; i < entries.size(); ++i) ReleaseWaitHandle(static_cast<int>(i));
}

void CJobThread::EndThreads() {
    TakeThreadsForEnd();
    WaitForThreadsToEnd();
}

void CJobThread::TakeThreadsForEnd() {
    ending_ = true;
    if (HANDLE thread = threadHandle.exchange(nullptr)) LetGoOfThread(thread, threadId.exchange(0));
}

void CJobThread::WaitForThreadsToEnd() {
    // A thread let go of may still be in the loop or in a handler, and both use this object. A
    // loop ends on WM_QUIT; a handler is waited for (the jobs end when their device answers or
    // their link is cancelled). The waits run outside the lock, because such a thread may be
    // letting go of itself meanwhile.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kEndWaitMs);
    for (;;) {
        std::vector<LetGoThread> threads;
        {
            std::lock_guard guard(lock);
            threads.swap(letGo_);
        }
        if (threads.empty()) return;
        for (const LetGoThread& thread : threads) {
            if (thread.id != GetCurrentThreadId() &&
                !QuitAndWait(thread.handle, thread.id, MillisecondsUntil(deadline))) {
                std::fprintf(stderr, "%s: a thread did not end in time; the process ends.\n",
                             tarvex::platform::ToUtf8(name).c_str());
                ExitProcess(0);
            }
            CloseHandle(thread.handle);
        }
    }
}

unsigned CJobThread::NoteThreadStarted() {
    std::lock_guard guard(lock);
    if (startedEvent != nullptr) SetEvent(startedEvent);
    return startGeneration_;
}

void CJobThread::NoteThreadEnded(unsigned generation) {
    std::lock_guard guard(lock);
    if (startedEvent != nullptr && generation == startGeneration_) ResetEvent(startedEvent);
}

bool CJobThread::OnThreadStart() { return true; }

bool CJobThread::OnThreadEnd() { return true; }

bool CJobThread::PreTranslateThreadMessage(const MSG& /*msg*/) { return false; }

void CJobThread::AddWaitHandle(const WaitEntry& entry) {
    std::lock_guard guard(lock);
    changed.exchange(1);
    try {
        entries.push_back(entry);
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }
}

HRESULT CJobThread::ReleaseWaitHandle(int index) {
    std::lock_guard guard(lock);
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return E_INVALIDARG;
    const WaitEntry& entry = entries[static_cast<std::size_t>(index)];
    if (!entry.ownsHandle || entry.handle == nullptr) return S_OK;
    return CloseEntryHandle(entry) ? S_OK : E_FAIL;
}

std::vector<HANDLE> CJobThread::BuildHandleArray() {
    std::lock_guard guard(lock);
    std::vector<HANDLE> handles;
    if (entries.empty()) return handles;
    try {
        handles.reserve(entries.size());
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }
    for (const WaitEntry& entry : entries) handles.push_back(entry.handle);
    changed.exchange(0);
    return handles;
}

WaitEntry CJobThread::EntryAt(std::size_t index) {
    // Copied under the lock: an append may move the table's storage at any time.
    std::lock_guard guard(lock);
    if (index >= entries.size()) AfxThrowOleException(E_INVALIDARG);
    return entries[index];
}

DWORD CJobThread::RunLoop() {
    PublishThreadName(threadId, name.c_str());
    std::vector<HANDLE> handles = BuildHandleArray();
    for (;;) {
        if (ending_) break;
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            if (msg.message == kRefreshHandlesMessage) {
                handles = BuildHandleArray();
                continue;
            }
            if (messageTarget != nullptr && onMessage != nullptr &&
                !onMessage(*messageTarget, msg.hwnd, msg.message, msg.wParam, msg.lParam)) {
                break;
            }
            if (dispatchMessages && !PreTranslateThreadMessage(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            continue;
        }

        const auto count = static_cast<DWORD>(handles.size());
        const DWORD result =
            MsgWaitForMultipleObjects(count, handles.data(), FALSE, waitTimeout, kWakeOnAnyInput);
        if (result < count) {
            const WaitEntry entry = EntryAt(result);
            // An entry registered without a handler has nothing to run.
            if (entry.target != nullptr && entry.onSignal != nullptr &&
                !entry.onSignal(*entry.target)) {
                break;
            }
            if (entry.kind == WaitKind::ChangeNotification)
                FindNextChangeNotification(entry.handle);
        } else if (result == WAIT_TIMEOUT && timeoutTarget != nullptr && onTimeout != nullptr) {
            if (!onTimeout(*timeoutTarget)) break;
        } else if (result == count) {
            // Input has arrived: the next pass takes it.
        } else if (changed > 0) {
            handles = BuildHandleArray();
        } else {
            break;
        }
    }
    handles.clear();
    if (messageTarget != nullptr && onMessage != nullptr) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            onMessage(*messageTarget, msg.hwnd, msg.message, msg.wParam, msg.lParam);
        }
    }
    return 0;
}

HANDLE CJobThread::StartThread(DWORD newWaitTimeout, DWORD creationFlags,
                               SECURITY_ATTRIBUTES* security, unsigned stackSize) {
    waitTimeout = newWaitTimeout;
    if (HANDLE running = threadHandle; IsSet(running)) {
        if (WaitForSingleObject(running, 0) != WAIT_OBJECT_0) return running;
        CloseHandle(running);
        threadHandle = nullptr;
    }

    {
        // From here on only the new thread's start sets the event.
        std::lock_guard guard(lock);
        ++startGeneration_;
        if (startedEvent != nullptr) ResetEvent(startedEvent);
    }
    unsigned id = 0;
    HANDLE thread = BeginThreadEx(security, stackSize, JobThreadProc, this, creationFlags, &id);
    if (thread == nullptr) return nullptr;
    threadId = id;
    threadHandle = thread;
    if (creationFlags & CREATE_SUSPENDED) return thread;

    // A thread that ends before it has started yields none.
    const auto endedUnstarted = [&] {
        PostThreadMessageW(id, WM_QUIT, 0, 0);
        WaitPumpingMessages(thread, 0);
        CloseHandle(thread);
        threadHandle = nullptr;
        threadId = 0;
        return nullptr;
    };
    // The post fails until the new thread has made its queue.
    while (!PostThreadMessageW(id, WM_NULL, 0, 0)) {
        if (WaitForSingleObject(thread, kQueueRetryMs) == WAIT_TIMEOUT) continue;
        return endedUnstarted();
    }
    // On Windows a thread's queue may come before its start (COM makes one for an apartment):
    // the thread can still end without starting.
    if (startedEvent == nullptr) return thread;
    const HANDLE startOrEnd[2] = {startedEvent, thread};
    if (WaitForMultipleObjects(2, startOrEnd, FALSE, kStartWaitMs) == WAIT_OBJECT_0 + 1) {
        return endedUnstarted();
    }
    return thread;
}

HRESULT CJobThread::StopThread(HANDLE event, DWORD timeoutMs) {
    HANDLE thread = threadHandle;
    if (thread == nullptr) return E_HANDLE;
    const DWORD id = threadId;
    if (id != 0) PostThreadMessageW(id, WM_QUIT, 0, 0);
    if (event != nullptr) SetEvent(event);
    const bool ended = WaitPumpingMessages(thread, timeoutMs);
    // Whoever clears the handle owns it: the destructor may be letting go of it at the same time.
    if (!threadHandle.compare_exchange_strong(thread, nullptr)) return S_OK;
    threadId = 0;
    if (ended) {
        CloseHandle(thread);
    } else {
        LetGoOfThread(thread, id);
    }
    return S_OK;
}

void CJobThread::LetGoOfThread(HANDLE thread, DWORD id) {
    std::lock_guard guard(lock);
    std::erase_if(letGo_, [](const LetGoThread& old) {
        const bool ended = WaitForSingleObject(old.handle, 0) == WAIT_OBJECT_0;
        if (ended) CloseHandle(old.handle);
        return ended;
    });
    letGo_.push_back({thread, id});
}

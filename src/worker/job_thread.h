// CJobThread: a worker thread with its own message queue that waits on a table of registered
// handles and, when one is signalled, calls the member operation registered with it.
//
// A class derives from CJobThread, registers its handles with AddWaitHandle and starts the thread
// with StartThread; the handlers then run one at a time on the worker thread. A handler returns
// true to keep the loop waiting and false to end it.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32.h"

class CJobThread;

namespace tarvex::worker {

// Handlers are member operations of a class derived from CJobThread, bound to the object they
// run on (the entry's `target`). CallOnTarget makes one from a member operation:
//   WaitEntry{&CallOnTarget<&LoaderDialog::ReprogramConsole>, this, event, true, WaitKind::Event}
// The target is turned back into the derived class before the call, so no member pointer is
// ever converted between classes.
using SignalHandler = bool (*)(CJobThread& target);
using TimeoutHandler = bool (*)(CJobThread& target);
using MessageHandler = BOOL (*)(CJobThread& target, HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam);

namespace detail {
template <typename>
struct MemberOf;
template <typename Class, typename Result, typename... Args>
struct MemberOf<Result (Class::*)(Args...)> {
    using type = Class;
};
}  // namespace detail

template <auto Member, typename... Args>
auto CallOnTarget(CJobThread& target, Args... args) {
    using Class = typename detail::MemberOf<decltype(Member)>::type;
    return (static_cast<Class&>(target).*Member)(args...);
}

// Most handles one wait watches beside the thread's message queue.
inline constexpr std::size_t kMaxWaitEntries = 63;

}  // namespace tarvex::worker

// How a registered handle is re-armed after its handler and closed on release.
enum class WaitKind : std::int32_t {
    Event = 1,
    Timer = 2,
    ChangeNotification = 3,
};

struct WaitEntry {
    tarvex::worker::SignalHandler onSignal = nullptr;
    CJobThread* target = nullptr;
    HANDLE handle = nullptr;
    bool ownsHandle = false;
    WaitKind kind = WaitKind::Event;
};

// Posted to the worker thread, it makes the loop re-read its handle table.
inline constexpr UINT kRefreshHandlesMessage = 0x13FFD;

class CJobThread {
  public:
    CJobThread();
    virtual ~CJobThread();
    CJobThread(const CJobThread&) = delete;
    CJobThread& operator=(const CJobThread&) = delete;

    // The wait loop; returns the thread's exit code.
    virtual DWORD RunLoop();
    // Called on the new thread before the loop; false ends the thread at once.
    virtual bool OnThreadStart();
    // Called on the thread after the loop; the result is not used.
    virtual bool OnThreadEnd();
    // True when the message was handled here and must not be dispatched.
    virtual bool PreTranslateThreadMessage(const MSG& msg);

    // Registers one handle; callable from any thread. A running loop waits on it from its next
    // rebuild of the handle array. Raises CMemoryException when out of memory.
    void AddWaitHandle(const WaitEntry& entry);

    // Closes the handle of one entry by its kind: S_OK, E_INVALIDARG for a bad index, E_FAIL when
    // the close failed. The entry stays in the table with its closed handle.
    HRESULT ReleaseWaitHandle(int index);

    // Starts the worker thread unless one is running; returns its handle, or none on failure.
    HANDLE StartThread(DWORD newWaitTimeout, DWORD creationFlags, SECURITY_ATTRIBUTES* security,
                       unsigned stackSize);

    // Asks the thread to quit, waits for it up to `timeoutMs` while pumping messages, and lets go
    // of it. S_OK, or E_HANDLE when no thread is held. Never forces the thread to end.
    HRESULT StopThread(HANDLE event, DWORD timeoutMs);

    // Read-only views of the thread this object holds, for those that stop or address it.
    HANDLE ThreadHandle() const { return threadHandle; }
    DWORD ThreadId() const { return threadId; }
    DWORD WaitTimeout() const { return waitTimeout; }
    // Set while a started thread has its message queue; tests wait on it.
    HANDLE StartedEvent() const { return startedEvent; }
    // 1 while the table holds handles a running loop's array may lack.
    LONG HandlesChanged() const { return changed; }

    // How long the object, as it goes, waits for its threads to end.
    static constexpr DWORD kEndWaitMs = 5000;
    // How long StartThread waits for a new thread to say it has started.
    static constexpr DWORD kStartWaitMs = 2000;
    // How often StartThread tries again to reach a new thread that has no queue yet.
    static constexpr DWORD kQueueRetryMs = 10;
    // What a job (or the close sequence) gives the thread it stops: a job stops its own thread,
    // so the wait always runs out and the thread is let go of.
    static constexpr DWORD kJobEndWaitMs = 1000;

  protected:
    // The loop's settings. Protected, not private: a derived class sets them in its constructor,
    // before its thread starts (this program keeps the values the constructor gives); the loop
    // reads them without a lock, so they must not change while a thread runs.
    tarvex::worker::TimeoutHandler onTimeout = nullptr;
    tarvex::worker::MessageHandler onMessage = nullptr;
    DWORD comInitFlags = COINIT_MULTITHREADED;
    CJobThread* timeoutTarget = nullptr;
    CJobThread* messageTarget = nullptr;
    bool dispatchMessages = true;
    bool reportFailures = true;
    bool rethrowFailures = false;
    std::wstring name = L"CJobThread";

    // TakeThreadsForEnd, then WaitForThreadsToEnd. The destructor does this; a derived class
    // whose handlers or overrides use its own members calls it in its own destructor, before
    // those members go.
    void EndThreads();
    // Marks the object as ending (every loop of it ends at its next pass) and takes the held
    // thread, so that a job ending meanwhile finds no thread to wait for when it stops its own.
    void TakeThreadsForEnd();
    // Asks every thread of the object to quit and waits, kEndWaitMs in all, for them to end. A
    // thread still running then is stuck in a step nothing can cancel; it uses this object, so it
    // must not outlive it: the process ends, and the thread with it.
    void WaitForThreadsToEnd();

  private:
    friend unsigned JobThreadProc(void* argument);

    // The thread's side of startedEvent. Each start has its own generation, so that an old
    // thread that ends late cannot reset the event a newer start is waiting for.
    unsigned NoteThreadStarted();
    void NoteThreadEnded(unsigned generation);

    // The handles to wait on, copied from `entries` in table order.
    std::vector<HANDLE> BuildHandleArray();
    // A copy of the entry at `index`; raises COleException(E_INVALIDARG) beyond the table.
    WaitEntry EntryAt(std::size_t index);
    // Keeps a let-go thread's handle so that the destructor can make sure it has ended.
    void LetGoOfThread(HANDLE thread, DWORD id);

    // Written by StartThread and StopThread, which may run on different threads.
    std::atomic<HANDLE> threadHandle{nullptr};
    std::atomic<DWORD> threadId{0};
    std::atomic<DWORD> waitTimeout{INFINITE};  // replaced by each StartThread
    HANDLE startedEvent = nullptr;
    std::atomic<LONG> changed{0};  // 1 while `entries` holds handles the loop's array may lack

    std::atomic<bool> ending_{false};  // set by EndThreads: every loop of this object ends
    std::vector<WaitEntry> entries;    // guarded by `lock`; only ever appended to
    std::recursive_mutex lock;  // guards `entries`, `letGo_`, `startGeneration_` and the writes of
                                // `changed`; startedEvent is set and reset under it
    unsigned startGeneration_ = 0;  // counts the starts; see NoteThreadStarted

    struct LetGoThread {
        HANDLE handle;
        DWORD id;
    };
    std::vector<LetGoThread> letGo_;  // guarded by `lock`
};

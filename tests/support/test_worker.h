// A CJobThread with two auto-reset events whose handlers the test chooses, and helpers to wait
// for what the worker thread does.
#pragma once

#include <array>
#include <atomic>
#include <functional>

#include "platform/win32.h"
#include "worker/job_thread.h"

// An auto-reset event owned by the test.
class TestEvent {
  public:
    TestEvent() : handle_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~TestEvent() { CloseHandle(handle_); }
    TestEvent(const TestEvent&) = delete;
    TestEvent& operator=(const TestEvent&) = delete;

    HANDLE handle() const { return handle_; }
    void Set() const { SetEvent(handle_); }
    bool WaitFor(DWORD timeoutMs = 10000) const {
        return WaitForSingleObject(handle_, timeoutMs) == WAIT_OBJECT_0;
    }

  private:
    HANDLE handle_;
};

class TestWorker : public CJobThread {
  public:
    using Handler = std::function<bool(TestWorker&)>;
    // The loop's settings, for the tests that read or change them.
    using CJobThread::comInitFlags;
    using CJobThread::dispatchMessages;
    using CJobThread::name;
    using CJobThread::reportFailures;
    using CJobThread::rethrowFailures;

    ~TestWorker() override { EndThreads(); }

    // Registers a new event whose signal runs `handler`; returns the event.
    HANDLE Register(Handler handler) {
        HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        RegisterHandle(event, WaitKind::Event, std::move(handler));
        return event;
    }

    // Registers `handle`, which the worker then owns, with `handler`.
    void RegisterHandle(HANDLE handle, WaitKind kind, Handler handler) {
        const std::size_t index = registered_++;
        handlers_.at(index) = std::move(handler);
        const tarvex::worker::SignalHandler handlers[] = {
            &tarvex::worker::CallOnTarget<&TestWorker::First>,
            &tarvex::worker::CallOnTarget<&TestWorker::Second>,
            &tarvex::worker::CallOnTarget<&TestWorker::Third>};
        AddWaitHandle(WaitEntry{handlers[index], this, handle, true, kind});
    }

    bool PreTranslateThreadMessage(const MSG& msg) override {
        if (msg.message == WM_NULL) ++nullMessages;
        if (msg.message >= WM_USER) {
            lastUserMessage = msg.message;
            userMessageSeen.Set();
        }
        return false;
    }

    // Public: the tests read what the loop passed to the worker.
    std::atomic<int> nullMessages{0};
    std::atomic<UINT> lastUserMessage{0};
    TestEvent userMessageSeen;

  private:
    bool First() { return handlers_.at(0)(*this); }
    bool Second() { return handlers_.at(1)(*this); }
    bool Third() { return handlers_.at(2)(*this); }

    // Fixed slots, so that registering while the loop runs touches no slot the loop reads.
    std::array<Handler, 3> handlers_;
    std::size_t registered_ = 0;
};

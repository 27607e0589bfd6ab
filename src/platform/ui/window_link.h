// Synchronous calls into the window thread.
//
// Every window operation runs on the window thread. A WindowLink runs a call there and waits for
// it: directly when the caller is the window thread, otherwise by posting the call to the window
// thread's event loop and blocking until it has run (in whatever event loop the window thread is
// in at that moment: a modal dialog, a message box, a pumping wait). Once the link is closed, when
// its window goes, queued and later calls fail instead of touching the window.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

namespace tarvex::platform {

class WindowLink {
  public:
    // Made on the window thread.
    static std::shared_ptr<WindowLink> Create();
    ~WindowLink();
    WindowLink(const WindowLink&) = delete;
    WindowLink& operator=(const WindowLink&) = delete;

    // Runs `call` on the window thread and returns once it has run: true; false when the link
    // is closed. A failure raised by the call is raised again in the caller.
    bool Run(const std::function<void()>& call) const;

    // On the window thread: every queued and later call fails.
    void Close();
    bool IsOpen() const;

    // Whether the link's calls may run: shared with the calls on their way, which look at it on
    // the window thread before they run.
    class Gate {
      public:
        // Runs `step` while the gate is held open and answers what it answers; false, without
        // running it, once the gate is closed.
        bool WhileOpen(const std::function<bool()>& step);
        bool IsOpen();
        void Close();

      private:
        std::mutex mutex_;  // guards `open_`, and holds a step against a Close
        bool open_ = true;
    };
    struct State;  // what the window system keeps for the link

  private:
    WindowLink();  // the window system's
    // A call from a thread other than the window thread, made while the link is open.
    bool RunFromAnotherThread(const std::function<void()>& call) const;

    std::shared_ptr<Gate> gate_ = std::make_shared<Gate>();
    std::shared_ptr<State> state_;
};

// True on the thread that owns the windows.
bool IsWindowThread();

}  // namespace tarvex::platform

// The window system of the process: made once on the thread that will own the windows, before
// any window, and destroyed after the last one.
#pragma once

#include <functional>
#include <memory>

namespace tarvex::platform {

class WindowSystem {
  public:
    // Starts the window system; `argc` and `argv` must outlive it. From here on message boxes
    // are shown as windows, and WaitPumpingMessages on this thread keeps the windows responsive.
    WindowSystem(int& argc, char** argv);
    ~WindowSystem();
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    // False when there is no display to open windows on (and no headless platform was chosen).
    static bool DisplayAvailable();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Runs `call` on the window thread when that thread next takes its messages (in whatever loop
// it is: a modal dialog, a message box, a pumping wait), after what is queued already. Callable
// from any thread; dropped when the window system goes first.
void PostToWindowThread(std::function<void()> call);

// On the window thread: takes its messages, serving its windows and the other threads' calls,
// until `done` holds (looked at after each message and every few milliseconds); false after
// `timeoutMs`.
bool PumpMessagesUntil(const std::function<bool()>& done, int timeoutMs);

}  // namespace tarvex::platform

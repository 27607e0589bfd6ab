// The window system of the process: made once on the thread that will own the windows, before
// any window, and destroyed after the last one.
#pragma once

#include <QString>
#include <memory>

namespace tarvex::platform {

// The width a message box keeps at least, so that its title bar shows the whole caption.
int MessageBoxMinimumWidth(const QString& caption);

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

}  // namespace tarvex::platform

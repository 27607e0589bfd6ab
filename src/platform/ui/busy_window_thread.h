// The window thread busy with a long command that must not return early (the firmware download
// runs synchronously, as a command handler): for the object's life the wait cursor shows, and
// Paint, called often, keeps the windows painted and the other threads' calls into the window
// thread served. Input waits until the command has returned, as a busy Windows thread's input
// does; a window closed meanwhile closes then, and the command can see the close asked for and
// end early.
#pragma once

#include <memory>

#include "platform/ui/shell.h"

namespace tarvex::platform {

class BusyWindowThread {
  public:
    BusyWindowThread();
    ~BusyWindowThread();
    BusyWindowThread(const BusyWindowThread&) = delete;
    BusyWindowThread& operator=(const BusyWindowThread&) = delete;

    // Dispatches what has come for the window thread except input; call it on that thread.
    void Paint();
    // Whether a window of the busy thread was asked to close meanwhile (it closes once this
    // object goes).
    bool CloseHeld() const;

  private:
    class HeldCloses;
    CWaitCursor cursor_;
    std::unique_ptr<HeldCloses> closes_;
};

}  // namespace tarvex::platform

// The window thread busy with a long command on Windows: its painting, timers and the other
// threads' calls are served, its input waits in the queue, and a close asked of one of its
// windows meanwhile is carried out once the command has returned.
#include <vector>

#include "platform/ui/busy_window_thread.h"

namespace tarvex::platform {

class BusyWindowThread::HeldCloses {
  public:
    ~HeldCloses() {
        for (HWND window : held_) {
            if (IsWindow(window)) PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }
    // True when `message` closes a window (the system menu's Close, a posted WM_CLOSE): it is
    // kept for later.
    bool Hold(const MSG& message) {
        const bool closes = message.message == WM_CLOSE || (message.message == WM_SYSCOMMAND &&
                                                            (message.wParam & 0xFFF0) == SC_CLOSE);
        if (closes && message.hwnd != nullptr) held_.push_back(message.hwnd);
        return closes;
    }

    bool Any() const { return !held_.empty(); }

  private:
    std::vector<HWND> held_;
};

BusyWindowThread::BusyWindowThread() : closes_(std::make_unique<HeldCloses>()) {}

BusyWindowThread::~BusyWindowThread() = default;

bool BusyWindowThread::CloseHeld() const { return closes_->Any(); }

void BusyWindowThread::Paint() {
    // Sent messages are served by PeekMessage itself; what is posted, bar input, is taken here.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0,
                        PM_REMOVE | PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (closes_->Hold(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace tarvex::platform

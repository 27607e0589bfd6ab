// The worker's synchronous calls into the window thread, on Windows: the call is sent to the
// window system's message window with SendMessageW, which the window thread serves in whatever
// message loop it is (a modal dialog's, a message box's, a pumping wait's) while the sender
// waits. The call runs only while its link is open, checked on the window thread itself, where
// windows are destroyed too, so a late call never touches a destroyed window.
#include <exception>

#include "platform/ui/win32/window_thread.h"
#include "platform/ui/window_link.h"

namespace tarvex::platform {

namespace {

// What a sent call carries: the call, its link, and how it went.
struct SentCall {
    const std::function<void()>* call;
    WindowLink::Gate* gate;
    bool ran = false;
    std::exception_ptr failure;
};

}  // namespace

void RunSentCall(void* sent) {
    auto& call = *static_cast<SentCall*>(sent);
    if (!call.gate->IsOpen()) return;
    try {
        (*call.call)();
    } catch (...) {
        call.failure = std::current_exception();
    }
    call.ran = true;
}

bool IsWindowThread() { return WindowThreadId() != 0 && GetCurrentThreadId() == WindowThreadId(); }

WindowLink::WindowLink() = default;

bool WindowLink::RunFromAnotherThread(const std::function<void()>& call) const {
    if (!gate_->IsOpen()) return false;
    SentCall sent{&call, gate_.get(), false, nullptr};
    // Fails at once when the window system, and its message window, have gone.
    SendToWindowThread(&sent);
    if (sent.failure) std::rethrow_exception(sent.failure);
    return sent.ran;
}

}  // namespace tarvex::platform

#include "platform/ui/window_link.h"

namespace tarvex::platform {

bool WindowLink::Gate::WhileOpen(const std::function<bool()>& step) {
    std::lock_guard lock(mutex_);
    return open_ && step();
}

bool WindowLink::Gate::IsOpen() {
    std::lock_guard lock(mutex_);
    return open_;
}

void WindowLink::Gate::Close() {
    std::lock_guard lock(mutex_);
    open_ = false;
}

std::shared_ptr<WindowLink> WindowLink::Create() {
    return std::shared_ptr<WindowLink>(new WindowLink());
}

// The window system's state goes after this, with the link's members.
WindowLink::~WindowLink() { Close(); }

bool WindowLink::Run(const std::function<void()>& call) const {
    if (!IsWindowThread()) return RunFromAnotherThread(call);
    if (!gate_->IsOpen()) return false;
    call();
    return true;
}

void WindowLink::Close() { gate_->Close(); }

bool WindowLink::IsOpen() const { return gate_->IsOpen(); }

}  // namespace tarvex::platform

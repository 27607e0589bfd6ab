// Private to the window layer: message boxes shown on the window thread, for callers on any
// thread; each window backend gives the showing.
#pragma once

#include <functional>
#include <memory>

#include "platform/message_box.h"
#include "platform/ui/window_link.h"

namespace tarvex::platform {

class WindowMessageBoxPresenter final : public MessageBoxPresenter {
  public:
    // Runs on the window thread and answers as MessageBox does.
    using ShowOnWindowThread = std::function<int(const MessageBoxRequest&)>;

    WindowMessageBoxPresenter(std::shared_ptr<WindowLink> link, ShowOnWindowThread show)
        : link_(std::move(link)), show_(std::move(show)) {}

    int Show(const MessageBoxRequest& request) override {
        int result = 0;  // a box that cannot be shown answers 0, as a failed MessageBox does
        link_->Run([&] { result = show_(request); });
        return result;
    }

  private:
    std::shared_ptr<WindowLink> link_;
    ShowOnWindowThread show_;
};

}  // namespace tarvex::platform

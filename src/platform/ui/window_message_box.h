// Private to the window layer: message boxes for callers on any thread; each window backend
// gives the showing. A box with an owner is shown on the window thread, modal to its owner. A
// box without one, asked for on another thread (the worker's failure box), belongs to that
// thread: it blocks no window, and only the asking thread waits for its answer.
#pragma once

#include <functional>
#include <memory>

#include "platform/system/message_box.h"
#include "platform/ui/window_link.h"

namespace tarvex::platform {

class WindowMessageBoxPresenter final : public MessageBoxPresenter {
  public:
    // Runs on the window thread and answers as MessageBox does.
    using ShowOnWindowThread = std::function<int(const MessageBoxRequest&)>;

    // Runs on the asking thread and answers once the box is dismissed.
    using ShowOwnerless = std::function<int(const MessageBoxRequest&)>;

    WindowMessageBoxPresenter(std::shared_ptr<WindowLink> link, ShowOnWindowThread show,
                              ShowOwnerless showOwnerless)
        : link_(std::move(link)),
          show_(std::move(show)),
          showOwnerless_(std::move(showOwnerless)) {}

    int Show(const MessageBoxRequest& request) override {
        if (request.owner == nullptr && !IsWindowThread()) return showOwnerless_(request);
        int result = 0;  // a box that cannot be shown answers 0, as a failed MessageBox does
        link_->Run([&] { result = show_(request); });
        return result;
    }

  private:
    std::shared_ptr<WindowLink> link_;
    ShowOnWindowThread show_;
    ShowOwnerless showOwnerless_;
};

}  // namespace tarvex::platform

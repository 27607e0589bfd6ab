// Records the message boxes a test causes instead of showing them, answering each with OK.
#pragma once

#include <mutex>
#include <vector>

#include "platform/message_box.h"

class RecordingMessageBox final : public MessageBoxPresenter {
  public:
    RecordingMessageBox() : previous_(SetMessageBoxPresenter(this)) {}
    ~RecordingMessageBox() override { SetMessageBoxPresenter(previous_); }

    int Show(const MessageBoxRequest& request) override {
        std::lock_guard guard(mutex_);
        boxes_.push_back(request);
        return IDOK;
    }

    std::vector<MessageBoxRequest> Boxes() {
        std::lock_guard guard(mutex_);
        return boxes_;
    }

  private:
    MessageBoxPresenter* previous_;
    std::mutex mutex_;
    std::vector<MessageBoxRequest> boxes_;
};

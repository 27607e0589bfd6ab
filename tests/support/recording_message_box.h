// Records the message boxes a test causes instead of showing them, answering each with OK.
#pragma once

#include <mutex>
#include <vector>

#include "platform/system/message_box.h"

class RecordingMessageBox final : public tarvex::platform::MessageBoxPresenter {
  public:
    RecordingMessageBox() : previous_(tarvex::platform::SetMessageBoxPresenter(this)) {}
    ~RecordingMessageBox() override { tarvex::platform::SetMessageBoxPresenter(previous_); }

    int Show(const tarvex::platform::MessageBoxRequest& request) override {
        std::lock_guard guard(mutex_);
        boxes_.push_back(request);
        return IDOK;
    }

    std::vector<tarvex::platform::MessageBoxRequest> Boxes() {
        std::lock_guard guard(mutex_);
        return boxes_;
    }

  private:
    tarvex::platform::MessageBoxPresenter* previous_;
    std::mutex mutex_;
    std::vector<tarvex::platform::MessageBoxRequest> boxes_;
};

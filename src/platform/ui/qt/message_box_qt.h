// Message boxes on Qt: a box owned by a window, modal to it, and boxes without an owner asked for
// by other threads.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <memory>
#include <vector>

#include "platform/system/message_box.h"
#include "platform/ui/window_link.h"

namespace tarvex::platform {

// On the window thread: shows the box, owned by the window `request.owner` names and modal to
// it, until it is answered; 0 when that window has gone.
int ShowBox(const MessageBoxRequest& request);

// Boxes without an owner, asked for on another thread (the worker's failure box). Qt's widgets
// live on the window thread, so each is shown there without modality, blocking no window, while
// only the asking thread waits for its answer, as a box of that thread's own does on Windows.
class OwnerlessBoxes {
  public:
    explicit OwnerlessBoxes(std::shared_ptr<WindowLink> link);

    // Shows the box and waits for its answer; 0 when it cannot be shown, or when the window
    // system goes first.
    int Show(const MessageBoxRequest& request);
    // On the window thread, as the window system goes: every open box goes, answered 0.
    void CloseAll();

  private:
    std::shared_ptr<WindowLink> link_;
    std::vector<QPointer<QMessageBox>> open_;  // touched on the window thread only
};

}  // namespace tarvex::platform

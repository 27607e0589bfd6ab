// Message boxes. The window system installs a presenter that shows them, and tests one that
// records what would have been shown; without one, the system shows the box (on Linux, where
// boxes need the window system, it is written to standard error and answered with OK).
#pragma once

#include <string>

#include "platform/win32.h"

namespace tarvex::platform {

struct MessageBoxRequest {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    UINT style = MB_OK;
};

class MessageBoxPresenter {
  public:
    virtual ~MessageBoxPresenter() = default;
    // Shows the box until the user answers it, on whatever thread calls; returns the button.
    virtual int Show(const MessageBoxRequest& request) = 0;
};

// Installs `presenter` for every later box (null goes back to standard error) and returns the
// one it replaces. The presenter must outlive every box shown through it.
MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter);

// Shows a box as MessageBoxW does and returns the button: through the installed presenter, or
// the system's own box.
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style);

// The system's box, without a presenter.
int SystemMessageBox(const MessageBoxRequest& request);

}  // namespace tarvex::platform

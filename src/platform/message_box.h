// Message boxes. The window system installs a presenter that shows them; without one (a worker
// test, a program with no windows yet) a box is written to standard error and answered with OK.
// Tests install a presenter that records what would have been shown.
#pragma once

#include <string>

#include "platform/win32_types.h"

inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_OKCANCEL = 0x0001;
inline constexpr UINT MB_YESNO = 0x0004;
inline constexpr UINT MB_ICONHAND = 0x0010;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x0020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x0030;
inline constexpr UINT MB_ICONINFORMATION = 0x0040;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

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

}  // namespace tarvex::platform

int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style);

#include <cstdio>

#include "platform/system/message_box.h"
#include "platform/text.h"

namespace tarvex::platform {

// Without the window system there is nobody to ask: the box goes to standard error, answered
// as a person who reads it and goes on would.
int SystemMessageBox(const MessageBoxRequest& request) {
    const std::string text = ToUtf8(request.caption + L": " + request.text);
    std::fprintf(stderr, "%s\n", text.c_str());
    return (request.style & 0xF) == MB_YESNO ? IDYES : IDOK;
}

}  // namespace tarvex::platform

int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) {
    return tarvex::platform::ShowMessageBox(owner, text, caption, style);
}

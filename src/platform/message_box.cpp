#include "platform/message_box.h"

#include <atomic>
#include <cstdio>

#include "platform/text.h"

using tarvex::platform::MessageBoxRequest;

namespace tarvex::platform {

namespace {

class StandardErrorPresenter final : public MessageBoxPresenter {
  public:
    int Show(const MessageBoxRequest& request) override {
        const std::string text = tarvex::platform::ToUtf8(request.caption + L": " + request.text);
        std::fprintf(stderr, "%s\n", text.c_str());
        return (request.style & 0xF) == MB_YESNO ? IDYES : IDOK;
    }
};

StandardErrorPresenter g_standardError;
std::atomic<MessageBoxPresenter*> g_presenter{&g_standardError};

}  // namespace

MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter) {
    return tarvex::platform::g_presenter.exchange(presenter != nullptr ? presenter
                                                                       : &g_standardError);
}

}  // namespace tarvex::platform

int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) {
    MessageBoxRequest request{owner, text != nullptr ? text : L"",
                              caption != nullptr ? caption : L"Error", style};
    return tarvex::platform::g_presenter.load()->Show(request);
}

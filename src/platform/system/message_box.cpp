#include "platform/system/message_box.h"

#include <atomic>

namespace tarvex::platform {
namespace {

std::atomic<MessageBoxPresenter*> g_presenter{nullptr};

}  // namespace

MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter) {
    return g_presenter.exchange(presenter);
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) {
    const MessageBoxRequest request{owner, text != nullptr ? text : L"",
                                    caption != nullptr ? caption : L"Error", style};
    MessageBoxPresenter* presenter = g_presenter.load();
    return presenter != nullptr ? presenter->Show(request) : SystemMessageBox(request);
}

}  // namespace tarvex::platform

// Tooltips as the common control: one tooltip window per CToolTipCtrl, its tools subclassing
// the windows they cover, so that the control sees their mouse itself.
#include "platform/ui/tooltip.h"
#include "platform/ui/win32/window_ref.h"

struct CToolTipCtrl::Impl {
    HWND tip = nullptr;
    std::shared_ptr<tarvex::platform::WindowLink> link;

    // The tool covering the whole of `window`, id'd by its handle.
    static TOOLINFOW Tool(HWND window, const std::wstring& text) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = ::GetParent(window);
        tool.uId = reinterpret_cast<UINT_PTR>(window);
        tool.lpszText = const_cast<wchar_t*>(text.c_str());
        return tool;
    }
    // Sends the tooltip `message` with the tool of `window`, on the window thread.
    void SendTool(UINT message, CWnd* window, const std::wstring& text) const {
        if (tip == nullptr || window == nullptr || window->Window() == nullptr) return;
        link->Run([&] {
            TOOLINFOW tool = Tool(window->Window()->hwnd, text);
            ::SendMessageW(tip, message, 0, reinterpret_cast<LPARAM>(&tool));
        });
    }
};

CToolTipCtrl::CToolTipCtrl() : impl_(std::make_unique<Impl>()) {}

CToolTipCtrl::~CToolTipCtrl() {
    if (impl_->tip != nullptr) impl_->link->Run([&] { ::DestroyWindow(impl_->tip); });
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    if (parent == nullptr || parent->Window() == nullptr) return FALSE;
    impl_->link = parent->Window()->link;
    impl_->link->Run([&] {
        impl_->tip =
            ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent->Window()->hwnd,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    });
    return impl_->tip != nullptr ? TRUE : FALSE;
}

BOOL CToolTipCtrl::Activate(BOOL active) {
    if (impl_->tip == nullptr) return FALSE;
    impl_->link->Run([&] { ::SendMessageW(impl_->tip, TTM_ACTIVATE, active, 0); });
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* window, const std::wstring& text, UINT_PTR /*toolId*/) {
    impl_->SendTool(TTM_ADDTOOLW, window, text);
    return impl_->tip != nullptr ? TRUE : FALSE;
}

void CToolTipCtrl::UpdateTipText(const std::wstring& text, CWnd* window, UINT_PTR /*toolId*/) {
    impl_->SendTool(TTM_UPDATETIPTEXTW, window, text);
}

int CToolTipCtrl::SetMaxTipWidth(int width) {
    int previous = -1;
    if (impl_->tip != nullptr) {
        impl_->link->Run([&] {
            previous = static_cast<int>(::SendMessageW(impl_->tip, TTM_SETMAXTIPWIDTH, 0, width));
        });
    }
    return previous;
}

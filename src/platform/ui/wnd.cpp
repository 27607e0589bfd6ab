// What a window object does the same on every window system.
#include "platform/ui/wnd.h"

#include "platform/system/message_box.h"
#include "platform/ui/win_app.h"

void CWnd::Serialize(CArchive& /*archive*/) {}

HBRUSH CWnd::CtlColor(CDC* /*dc*/, UINT /*ctlColor*/) { return nullptr; }

BOOL CWnd::OnReflectedNotify(UINT /*code*/) { return FALSE; }

void CWnd::Attach(std::shared_ptr<tarvex::platform::WindowRef> window) {
    window_ = std::move(window);
}

int CWnd::MessageBox(const wchar_t* text, const wchar_t* caption, UINT type) const {
    const std::wstring appName = AfxGetApp() != nullptr ? AfxGetApp()->m_pszAppName : L"";
    return tarvex::platform::ShowMessageBox(GetSafeHwnd(), text,
                                            caption != nullptr ? caption : appName.c_str(), type);
}

// Windows and controls on the Win32 user interface: each operation is the system's own, made on
// the window thread through the window's link.
#include "platform/ui/win32/window_ref.h"
#include "platform/ui/wnd.h"

using tarvex::platform::WindowRef;

namespace {

// Runs `use` with the window's handle on the window thread; false when unbound or gone.
template <typename Use>
bool With(const std::shared_ptr<WindowRef>& window, Use&& use) {
    return window != nullptr && window->With([&] { use(window->hwnd); });
}

// The answer of the window to `message`, sent on the window thread (0 when unbound or gone).
LRESULT Sent(const std::shared_ptr<WindowRef>& window, UINT message, WPARAM wParam = 0,
             LPARAM lParam = 0) {
    LRESULT answer = 0;
    With(window, [&](HWND hwnd) { answer = ::SendMessageW(hwnd, message, wParam, lParam); });
    return answer;
}

}  // namespace

BOOL CWnd::SetWindowText(const std::wstring& text) {
    BOOL done = FALSE;
    With(window_, [&](HWND hwnd) { done = ::SetWindowTextW(hwnd, text.c_str()); });
    return done;
}

std::wstring CWnd::GetWindowText() const {
    std::wstring text;
    With(window_, [&](HWND hwnd) {
        text.resize(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1);
        text.resize(static_cast<std::size_t>(
            ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    });
    return text;
}

BOOL CWnd::EnableWindow(BOOL enable) {
    BOOL wasDisabled = FALSE;
    With(window_, [&](HWND hwnd) { wasDisabled = ::EnableWindow(hwnd, enable); });
    return wasDisabled;
}

void CWnd::GetClientRect(RECT* rect) const {
    *rect = RECT{};
    With(window_, [&](HWND hwnd) { ::GetClientRect(hwnd, rect); });
}

BOOL CWnd::IsWindowEnabled() const {
    BOOL enabled = FALSE;
    With(window_, [&](HWND hwnd) { enabled = ::IsWindowEnabled(hwnd); });
    return enabled;
}

BOOL CWnd::IsWindowVisible() const {
    BOOL visible = FALSE;
    With(window_, [&](HWND hwnd) { visible = ::IsWindowVisible(hwnd); });
    return visible;
}

int CWnd::GetDlgCtrlID() const { return window_ != nullptr ? window_->id : 0; }

HWND CWnd::GetSafeHwnd() const { return window_ != nullptr ? window_->hwnd : nullptr; }

DWORD CWnd::GetStyle() const {
    DWORD style = 0;
    With(window_, [&](HWND hwnd) { style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); });
    return style;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add) {
    return With(window_,
                [&](HWND hwnd) {
                    const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
                    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((style & ~remove) | add));
                })
               ? TRUE
               : FALSE;
}

// A control that leaves its background unpainted (a link) shows what lies behind it: the part
// of its dialog under it is redrawn with it.
void CWnd::Invalidate(BOOL erase) {
    With(window_, [&](HWND hwnd) {
        HWND parent = ::GetParent(hwnd);
        if (erase && parent != nullptr) {
            RECT area;
            ::GetWindowRect(hwnd, &area);
            ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&area), 2);
            ::RedrawWindow(parent, &area, nullptr,
                           RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        } else {
            ::InvalidateRect(hwnd, nullptr, erase);
        }
    });
}

BOOL CWnd::GetFont(LOGFONTW* font) const {
    if (font == nullptr) return FALSE;
    const auto handle = reinterpret_cast<HFONT>(Sent(window_, WM_GETFONT));
    return handle != nullptr && ::GetObjectW(handle, sizeof(LOGFONTW), font) != 0 ? TRUE : FALSE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Sent(window_, message, wParam, lParam);
}

int CButton::GetCheck() const { return static_cast<int>(Sent(Window(), BM_GETCHECK)); }

void CButton::SetCheck(int check) { Sent(Window(), BM_SETCHECK, static_cast<WPARAM>(check)); }

void CProgressCtrl::SetRange(short lower, short upper) {
    Sent(Window(), PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(lower), static_cast<WORD>(upper)));
}

void CProgressCtrl::SetRange32(int lower, int upper) {
    Sent(Window(), PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

void CProgressCtrl::GetRange(int& lower, int& upper) const {
    PBRANGE range{};
    Sent(Window(), PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    lower = range.iLow;
    upper = range.iHigh;
}

int CProgressCtrl::SetPos(int position) {
    return static_cast<int>(Sent(Window(), PBM_SETPOS, static_cast<WPARAM>(position)));
}

int CProgressCtrl::GetPos() const { return static_cast<int>(Sent(Window(), PBM_GETPOS)); }

int CProgressCtrl::SetStep(int step) {
    return static_cast<int>(Sent(Window(), PBM_SETSTEP, static_cast<WPARAM>(step)));
}

int CProgressCtrl::StepIt() { return static_cast<int>(Sent(Window(), PBM_STEPIT)); }

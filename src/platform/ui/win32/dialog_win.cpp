// A dialog on the Win32 user interface: a modal dialog box built from the template in memory
// (DialogBoxIndirectParamW, dialog units mapped by the system), its menu bar and system menu
// the system's menus, its controls the system's window classes, its timers WM_TIMER.
#include <algorithm>
#include <vector>

#include "platform/ui/dialog_access.h"
#include "platform/ui/win32/gdi_win.h"
#include "platform/ui/win32/window_ref.h"

using namespace tarvex::platform;

struct CDialog::Impl {
    HWND window = nullptr;
    std::shared_ptr<WindowLink> link;
    std::shared_ptr<WindowRef> menuBar;
    std::shared_ptr<WindowRef> systemMenu;
    bool passToSystem = false;  // the system command in hand is the system's to carry out

    std::shared_ptr<WindowRef> Ref(HWND hwnd, int id, HMENU menu = nullptr) const {
        auto ref = std::make_shared<WindowRef>();
        ref->link = link;
        ref->hwnd = hwnd;
        ref->id = id;
        ref->menu = menu;
        return ref;
    }
    // Runs `use` on the window thread while the dialog is shown; false otherwise.
    template <typename Use>
    bool With(Use&& use) const {
        bool done = false;
        if (link != nullptr) {
            link->Run([&] {
                if (window != nullptr) {
                    use(window);
                    done = true;
                }
            });
        }
        return done;
    }
    void Initialise(CDialog& owner, const DialogTemplate& dialogTemplate, HWND hwnd);
};

namespace {

// A dialog box's template in memory, as DialogBoxIndirectParamW reads it: a DLGTEMPLATE with
// its menu, class, caption and font, then a DLGITEMTEMPLATE for each control, each on a
// DWORD boundary.
class TemplateWriter {
  public:
    void Word(WORD value) { words_.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Text(const wchar_t* text) {
        for (const wchar_t* at = text != nullptr ? text : L""; *at != L'\0'; ++at) {
            Word(static_cast<WORD>(*at));
        }
        Word(0);
    }
    void AlignToDword() {
        if (words_.size() % 2 != 0) Word(0);
    }
    const DLGTEMPLATE* Data() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    std::vector<WORD> words_;
};

struct ControlClass {
    WORD atom;            // a predefined class, or 0
    const wchar_t* name;  // the class by name when `atom` is 0
    DWORD style;          // what the kind adds to the template's styles
};

ControlClass ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::PushButton:
            return {0x0080, nullptr, BS_PUSHBUTTON};
        case ControlKind::AutoRadioButton:
            return {0x0080, nullptr, BS_AUTORADIOBUTTON};
        case ControlKind::GroupBox:
            return {0x0080, nullptr, BS_GROUPBOX};
        case ControlKind::Edit:
            return {0x0081, nullptr, 0};
        case ControlKind::ProgressBar:
            return {0, PROGRESS_CLASSW, 0};
        case ControlKind::Static:
        default:
            return {0x0082, nullptr, SS_LEFT};
    }
}

// A dialog with an owner is the owner's: it stays above it and is never minimised or maximised
// on its own (a minimised box would leave its owner blocked with nothing on the screen to say
// why). A window of its own keeps the boxes its template asks for.
DWORD DialogStyle(const DialogTemplate& dialogTemplate, bool owned) {
    // Shown as it is made (the dialog box otherwise waits for its loop's first idle moment), so
    // that what the loop runs first already finds it on the screen.
    DWORD style = dialogTemplate.style | WS_POPUP | WS_VISIBLE | DS_SETFONT;
    if (owned) style &= ~static_cast<DWORD>(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    return style;
}

TemplateWriter WriteTemplate(const DialogTemplate& dialogTemplate, bool owned) {
    TemplateWriter out;
    out.Dword(DialogStyle(dialogTemplate, owned));
    out.Dword(0);  // extended style
    out.Word(static_cast<WORD>(dialogTemplate.controls.size()));
    out.Word(0);  // x and y: the dialog is centred once it is made
    out.Word(0);
    out.Word(static_cast<WORD>(dialogTemplate.cx));
    out.Word(static_cast<WORD>(dialogTemplate.cy));
    out.Word(0);  // no menu resource: the menu bar is made from the template's items
    out.Word(0);  // the dialog class
    out.Text(dialogTemplate.caption);
    out.Word(static_cast<WORD>(dialogTemplate.pointSize));
    out.Text(dialogTemplate.typeface);
    for (const DialogControl& control : dialogTemplate.controls) {
        const ControlClass kind = ClassOf(control.kind);
        out.AlignToDword();
        out.Dword(control.style | kind.style | WS_CHILD | WS_VISIBLE);
        out.Dword(0);
        out.Word(static_cast<WORD>(control.rect.x));
        out.Word(static_cast<WORD>(control.rect.y));
        out.Word(static_cast<WORD>(control.rect.cx));
        out.Word(static_cast<WORD>(control.rect.cy));
        out.Word(static_cast<WORD>(control.id));  // IDC_STATIC, -1, is 0xFFFF
        if (kind.atom != 0) {
            out.Word(0xFFFF);
            out.Word(kind.atom);
        } else {
            out.Text(kind.name);
        }
        out.Text(control.text);
        out.Word(0);  // no creation data
    }
    return out;
}

void AppendItems(HMENU menu, std::span<const MenuItemTemplate> items) {
    for (const MenuItemTemplate& item : items) {
        if (item.text == nullptr) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else if (!item.popup.empty()) {
            HMENU popup = CreatePopupMenu();
            AppendItems(popup, item.popup);
            AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), item.text);
        } else {
            AppendMenuW(menu, MF_STRING, item.id, item.text);
        }
    }
}

// The window's size that keeps its client area at the template's size once a menu bar takes
// its top.
void FitAroundClientArea(HWND window, const DialogTemplate& dialogTemplate) {
    RECT area{0, 0, dialogTemplate.cx, dialogTemplate.cy};
    MapDialogRect(window, &area);
    AdjustWindowRectEx(&area, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
                       GetMenu(window) != nullptr,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, area.right - area.left, area.bottom - area.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Centres the window on its owner, or on the screen's work area when it has none, keeping it
// on the screen.
void Centre(HWND window) {
    RECT own;
    GetWindowRect(window, &own);
    HWND owner = GetWindow(window, GW_OWNER);
    RECT around;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &around);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    }
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int x = around.left + (around.right - around.left - width) / 2;
    int y = around.top + (around.bottom - around.top - height) / 2;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        x = std::max<int>(work.left, std::min<int>(x, work.right - width));
        y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    }
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

void CDialog::Impl::Initialise(CDialog& owner, const DialogTemplate& dialogTemplate, HWND hwnd) {
    window = hwnd;
    for (const DialogControl& control : dialogTemplate.controls) {
        if (control.id != IDC_STATIC) {
            DialogAccess::AddControl(owner, control.id,
                                     Ref(::GetDlgItem(hwnd, control.id), control.id));
        }
    }
    owner.Attach(Ref(hwnd, 0));
    if (!dialogTemplate.menu.empty()) {
        HMENU bar = ::CreateMenu();
        AppendItems(bar, dialogTemplate.menu);
        ::SetMenu(hwnd, bar);  // the window destroys it as it goes
        menuBar = Ref(hwnd, 0, bar);
    }
    if (HMENU system = ::GetSystemMenu(hwnd, FALSE)) systemMenu = Ref(hwnd, 0, system);
    FitAroundClientArea(hwnd, dialogTemplate);
    Centre(hwnd);
}

namespace {

// The colour request `message` (WM_CTLCOLORDLG, WM_CTLCOLORSTATIC...) of `control`, answered
// by the dialog's handler in the control's device context; 0 leaves the system's colours.
INT_PTR ColourRequest(CDialog& dialog, UINT message, HDC dc, HWND control) {
    const UINT type = message - WM_CTLCOLORMSGBOX;  // CTLCOLOR_EDIT, _BTN, _DLG, _STATIC...
    CWnd* object =
        type == CTLCOLOR_DLG ? &dialog : DialogAccess::ControlObject(dialog, GetDlgCtrlID(control));
    auto context = std::make_unique<CDC::Impl>();
    context->dc = dc;
    CDC given(std::move(context));
    const HBRUSH brush = DialogAccess::CtlColor(dialog, &given, object, type);
    // A static control selects its own font after asking for its colours: a font the handler
    // selected becomes the control's, and the control is drawn again with it.
    const CFont* font = given.Native().font;
    if (font != nullptr && font->IsCreated() && control != nullptr &&
        reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)) != font->Native().font) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font->Native().font), FALSE);
        InvalidateRect(control, nullptr, FALSE);
    }
    return reinterpret_cast<INT_PTR>(brush);
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        DialogAccess::Backend(*dialog).Initialise(*dialog, dialog->Template(), window);
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;
    switch (message) {
        case WM_COMMAND: {
            const UINT id = LOWORD(wParam);
            // Of a control's notifications only a click is a command (BN_CLICKED, STN_CLICKED).
            if (lParam == 0) {
                DialogAccess::Command(*dialog, id);
            } else if (HIWORD(wParam) == BN_CLICKED) {
                DialogAccess::Notify(*dialog, static_cast<int>(id), BN_CLICKED);
            }
            return TRUE;
        }
        case WM_CLOSE:
            DialogAccess::Close(*dialog);
            return TRUE;
        case WM_TIMER:
            DialogAccess::Timer(*dialog, wParam);
            return TRUE;
        case WM_SYSCOMMAND: {
            auto& backend = DialogAccess::Backend(*dialog);
            backend.passToSystem = false;
            DialogAccess::SysCommand(*dialog, static_cast<UINT>(wParam));
            return backend.passToSystem ? FALSE : TRUE;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            auto context = std::make_unique<CDC::Impl>();
            context->dc = BeginPaint(window, &paint);
            CDC dc(std::move(context));
            DialogAccess::Paint(*dialog, dc);
            EndPaint(window, &paint);
            return TRUE;
        }
        case WM_QUERYENDSESSION:  // the session may end: the program never holds it up
            SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_ENDSESSION:
            DialogAccess::EndSession(*dialog, static_cast<BOOL>(wParam));
            return TRUE;
        case WM_QUERYDRAGICON:  // one of the messages whose result a dialog returns directly
            return reinterpret_cast<INT_PTR>(DialogAccess::QueryDragIcon(*dialog));
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return ColourRequest(*dialog, message, reinterpret_cast<HDC>(wParam),
                                 reinterpret_cast<HWND>(lParam));
        case WM_INITMENUPOPUP: {
            auto popup = std::make_shared<WindowRef>();
            popup->link = DialogAccess::Backend(*dialog).link;
            // Without a menu, the popup of the menu bar at the position (a driver's way to open
            // it).
            popup->menu = wParam != 0 ? reinterpret_cast<HMENU>(wParam)
                                      : ::GetSubMenu(::GetMenu(window), LOWORD(lParam));
            CMenu menu(popup);
            DialogAccess::InitMenuPopup(*dialog, menu, LOWORD(lParam), HIWORD(lParam));
            return FALSE;
        }
        default:
            return FALSE;
    }
}

}  // namespace

CDialog::CDialog(const DialogTemplate& dialogTemplate, CWnd* parent)
    : template_(dialogTemplate), m_pParentWnd(parent), impl_(std::make_unique<Impl>()) {}

CDialog::~CDialog() {
    if (impl_->link) impl_->link->Close();
}

INT_PTR CDialog::DoModal() {
    if (impl_->window != nullptr || !IsWindowThread()) return -1;
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    impl_->link = WindowLink::Create();
    const TemplateWriter resource = WriteTemplate(template_, owner != nullptr);
    const INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), resource.Data(), owner, DialogProc,
                                reinterpret_cast<LPARAM>(this));
    // The window has gone: every later call on it, from any thread, fails (its controls' and
    // menus' objects stay, and fail too).
    impl_->link->Close();
    impl_->window = nullptr;
    subclassed_.clear();
    return result;
}

void CDialog::EndDialog(int result) {
    impl_->With([&](HWND window) { ::EndDialog(window, result); });
}

void CDialog::PassToSystem(UINT /*id*/) { impl_->passToSystem = true; }

BOOL CDialog::CheckDlgButton(int id, UINT check) {
    BOOL done = FALSE;
    impl_->With([&](HWND window) { done = ::CheckDlgButton(window, id, check); });
    return done;
}

UINT CDialog::IsDlgButtonChecked(int id) const {
    UINT check = BST_UNCHECKED;
    impl_->With([&](HWND window) { check = ::IsDlgButtonChecked(window, id); });
    return check;
}

CMenu CDialog::GetMenu() const { return impl_->menuBar ? CMenu(impl_->menuBar) : CMenu(); }

CMenu CDialog::GetSystemMenu(BOOL /*revert*/) const {
    return impl_->systemMenu ? CMenu(impl_->systemMenu) : CMenu();
}

UINT_PTR CDialog::SetTimer(UINT_PTR id, UINT elapseMs, void* /*timerProc*/) {
    UINT_PTR set = 0;
    if (id != 0) impl_->With([&](HWND window) { set = ::SetTimer(window, id, elapseMs, nullptr); });
    return set;
}

BOOL CDialog::KillTimer(UINT_PTR id) {
    BOOL killed = FALSE;
    impl_->With([&](HWND window) { killed = ::KillTimer(window, id); });
    return killed;
}

BOOL CDialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = impl_->window;
    return window != nullptr ? ::PostMessageW(window, message, wParam, lParam) : FALSE;
}

void CDialog::SetIcon(HICON icon, BOOL bigIcon) {
    impl_->With([&](HWND window) {
        ::SendMessageW(window, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                       reinterpret_cast<LPARAM>(icon));
    });
}

HICON CDialog::GetIcon(BOOL bigIcon) const {
    HICON icon = nullptr;
    impl_->With([&](HWND window) {
        icon = reinterpret_cast<HICON>(
            ::SendMessageW(window, WM_GETICON, bigIcon ? ICON_BIG : ICON_SMALL, 0));
    });
    return icon;
}

BOOL CDialog::IsIconic() const {
    BOOL iconic = FALSE;
    impl_->With([&](HWND window) { iconic = ::IsIconic(window); });
    return iconic;
}

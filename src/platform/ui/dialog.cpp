// What a dialog does the same on every window system: its message map, the default handlers,
// data exchange's entry, its controls by id and the routing of a control's notifications.
#include "platform/exceptions.h"
#include "platform/ui/dialog_access.h"

using tarvex::platform::DialogAccess;
using tarvex::platform::WindowRef;

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

bool CDialog::OnPaint(CDC& /*dc*/) { return false; }

HICON CDialog::OnQueryDragIcon() { return nullptr; }

void CDialog::OnEndSession(BOOL ending) {
    if (ending) OnClose();
}

void CDialog::OnInitMenuPopup(CMenu& /*popup*/, UINT /*index*/, BOOL /*systemMenu*/) {}

HBRUSH CDialog::OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor) {
    return control != nullptr && control != this ? control->CtlColor(dc, ctlColor) : nullptr;
}

void CDialog::SubclassControl(int id, CWnd& control) {
    if (subclassed_[id] == &control) return;
    subclassed_[id] = &control;
    control.PreSubclassWindow();
}

std::shared_ptr<WindowRef> CDialog::ControlWindow(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

CWnd* CDialog::GetDlgItem(int id) const {
    auto window = ControlWindow(id);
    if (window == nullptr) return nullptr;
    auto& item = items_[id];
    if (item == nullptr) item = std::make_unique<CWnd>();
    item->Attach(window);
    return item.get();
}

CWnd* CDialog::Subclassed(int id) const {
    auto it = subclassed_.find(id);
    return it != subclassed_.end() ? it->second : nullptr;
}

void DialogAccess::Notify(CDialog& dialog, int id, UINT code) {
    if (CWnd* bound = dialog.Subclassed(id); bound != nullptr && bound->OnReflectedNotify(code)) {
        return;
    }
    dialog.OnCmdMsg(static_cast<UINT>(id));
}

BOOL CDialog::OnCmdMsg(UINT id) {
    if (auto it = commands_.find(id); it != commands_.end()) {
        try {
            it->second();
        } catch (CException* failure) {
            // The framework's handler for a failed command: a stop box with the failure's text.
            std::wstring message = tarvex::platform::TakeErrorMessage(failure);
            if (message.empty()) message = L"Command failed.";
            MessageBox(message.c_str(), nullptr, MB_OK | MB_ICONHAND);
        }
        return TRUE;
    }
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// As the default window procedure does, a close request is taken as Cancel.
void CDialog::OnClose() { OnCmdMsg(IDCANCEL); }

void CDialog::OnTimer(UINT_PTR /*id*/) {}

void CDialog::OnSysCommand(UINT id, LPARAM /*lParam*/) {
    if ((id & 0xFFF0) == SC_CLOSE) {
        OnClose();
    } else {
        PassToSystem(id);
    }
}

void CDialog::MapCommand(UINT id, std::function<void()> handler) {
    commands_[id] = std::move(handler);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

BOOL CDialog::HasSystemMenu() const { return (template_.style & WS_SYSMENU) ? TRUE : FALSE; }

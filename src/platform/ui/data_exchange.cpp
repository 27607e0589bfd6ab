// Data exchange between a dialog's controls and its members, through the controls' own
// operations.
#include "platform/ui/dialog.h"

using tarvex::platform::ControlKind;
using tarvex::platform::DialogControl;

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    // Bound once per window: a job may be using the control from the worker meanwhile, and
    // rebinding it would change what that thread reads.
    auto window = pDX->m_pDlgWnd->ControlWindow(id);
    if (window == nullptr || control.Window() == window) return;
    control.Attach(window);
    pDX->m_pDlgWnd->SubclassControl(id, control);
}

void DDX_Text(CDataExchange* pDX, int id, std::wstring& value) {
    CWnd* control = pDX->m_pDlgWnd->GetDlgItem(id);
    if (control == nullptr) return;
    if (pDX->m_bSaveAndValidate) {
        value = control->GetWindowText();
    } else {
        control->SetWindowText(value);
    }
}

void DDX_Radio(CDataExchange* pDX, int firstId, int& value) {
    std::vector<int> group;
    bool inGroup = false;
    for (const DialogControl& control : pDX->m_pDlgWnd->Template().controls) {
        if (inGroup && (control.style & WS_GROUP)) break;
        if (control.id == firstId) inGroup = true;
        if (inGroup && control.kind == ControlKind::AutoRadioButton) group.push_back(control.id);
    }
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (pDX->m_pDlgWnd->IsDlgButtonChecked(group[i]) == BST_CHECKED) {
                value = static_cast<int>(i);
            }
        }
        return;
    }
    const bool inRange = value >= 0 && static_cast<std::size_t>(value) < group.size();
    for (std::size_t i = 0; i < group.size(); ++i) {
        const bool checked = inRange && static_cast<std::size_t>(value) == i;
        pDX->m_pDlgWnd->CheckDlgButton(group[i], checked ? BST_CHECKED : BST_UNCHECKED);
    }
}

// Data exchange between a dialog's controls and its members.
#include <QButtonGroup>
#include <QLineEdit>
#include <QRadioButton>

#include "platform/ui/button_check.h"
#include "platform/ui/dialog.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/window_ref.h"

using namespace tarvex::platform;

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    // Bound once per window: a job may be using the control from the worker meanwhile, and
    // rebinding it would change what that thread reads.
    auto window = pDX->m_pDlgWnd->ControlWindow(id);
    if (window == nullptr || control.Window() == window) return;
    control.Attach(window);
    pDX->m_pDlgWnd->SubclassControl(id, control);
}

void DDX_Text(CDataExchange* pDX, int id, std::wstring& value) {
    auto window = pDX->m_pDlgWnd->ControlWindow(id);
    if (window == nullptr) return;
    window->With<QLineEdit>([&](QLineEdit* edit) {
        if (pDX->m_bSaveAndValidate) {
            value = FromQString(edit->text());
        } else {
            edit->setText(ToQString(value));
        }
    });
}

void DDX_Radio(CDataExchange* pDX, int firstId, int& value) {
    const auto& controls = pDX->m_pDlgWnd->Template().controls;
    std::vector<QRadioButton*> group;
    bool inGroup = false;
    for (const DialogControl& control : controls) {
        if (inGroup && (control.style & WS_GROUP)) break;
        if (control.id == firstId) inGroup = true;
        if (!inGroup || control.kind != ControlKind::AutoRadioButton) continue;
        if (auto window = pDX->m_pDlgWnd->ControlWindow(control.id)) {
            group.push_back(qobject_cast<QRadioButton*>(window->widget.data()));
        }
    }
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (group[i] != nullptr && group[i]->isChecked()) value = static_cast<int>(i);
        }
        return;
    }
    const bool inRange = value >= 0 && static_cast<std::size_t>(value) < group.size();
    for (std::size_t i = 0; i < group.size(); ++i) {
        if (group[i] == nullptr) continue;
        SetButtonCheck(group[i], inRange && static_cast<std::size_t>(value) == i ? BST_CHECKED
                                                                                 : BST_UNCHECKED);
    }
}

#include "platform/ui/wnd.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>

#include "platform/ui/gdi.h"
#include "platform/ui/qt/button_check.h"
#include "platform/ui/qt/control_text.h"
#include "platform/ui/qt/dialog_colours.h"
#include "platform/ui/qt/progress_bar.h"
#include "platform/ui/qt/qt_text.h"
#include "platform/ui/qt/window_ref.h"
#include "platform/ui/win_app.h"

using tarvex::platform::ProgressBar;
using tarvex::platform::ProgressModel;
using tarvex::platform::WindowRef;

namespace {

// Runs `use` on the window thread with the bound widget as a Widget; false when unbound, gone,
// or of another kind.
template <typename Widget, typename Use>
bool With(const std::shared_ptr<WindowRef>& window, Use&& use) {
    return window != nullptr && window->With<Widget>(std::forward<Use>(use));
}

}  // namespace

DWORD CWnd::GetStyle() const {
    DWORD style = 0;
    With<QWidget>(window_, [&](QWidget* widget) {
        style = widget->property(tarvex::platform::kStyleProperty).toUInt();
    });
    return style;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add) {
    return With<QWidget>(window_,
                         [&](QWidget* widget) {
                             const DWORD style =
                                 widget->property(tarvex::platform::kStyleProperty).toUInt();
                             widget->setProperty(tarvex::platform::kStyleProperty,
                                                 static_cast<uint>((style & ~remove) | add));
                         })
               ? TRUE
               : FALSE;
}

void CWnd::Invalidate(BOOL /*erase*/) {
    With<QWidget>(window_, [](QWidget* widget) {
        tarvex::platform::RefreshColoursOf(widget);
        widget->update();
    });
}

BOOL CWnd::GetFont(LOGFONTW* font) const {
    if (font == nullptr) return FALSE;
    return With<QWidget>(window_,
                         [&](QWidget* widget) {
                             const QFont drawn = widget->font();
                             font->lfHeight = -drawn.pixelSize();
                             font->lfUnderline = drawn.underline() ? 1 : 0;
                             font->lfWeight = static_cast<BYTE>(drawn.bold() ? 7 : 4);
                         })
               ? TRUE
               : FALSE;
}

BOOL CWnd::SetWindowText(const std::wstring& text) {
    const QString qtext = tarvex::platform::ToQString(text);
    return With<QWidget>(window_, [&](QWidget* widget) {
        if (qobject_cast<QTextEdit*>(widget) != nullptr) {
            tarvex::platform::SetControlText(widget, qtext);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setText(qtext);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->setText(qtext);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setText(qtext);
        } else {
            widget->setWindowTitle(qtext);
        }
    });
}

std::wstring CWnd::GetWindowText() const {
    QString text;
    With<QWidget>(window_, [&](QWidget* widget) {
        if (qobject_cast<QTextEdit*>(widget) != nullptr) {
            text = tarvex::platform::ControlText(widget);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            text = edit->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text = button->text();
        } else {
            text = widget->windowTitle();
        }
    });
    return tarvex::platform::FromQString(text);
}

BOOL CWnd::EnableWindow(BOOL enable) {
    bool wasDisabled = false;
    With<QWidget>(window_, [&](QWidget* widget) {
        wasDisabled = !widget->isEnabled();
        widget->setEnabled(enable != FALSE);
    });
    return wasDisabled ? TRUE : FALSE;
}

void CWnd::GetClientRect(RECT* rect) const {
    *rect = RECT{};
    With<QWidget>(window_, [&](QWidget* widget) {
        rect->right = widget->width();
        rect->bottom = widget->height();
    });
}

BOOL CWnd::IsWindowEnabled() const {
    bool enabled = false;
    With<QWidget>(window_, [&](QWidget* widget) { enabled = widget->isEnabled(); });
    return enabled ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const {
    bool visible = false;
    With<QWidget>(window_, [&](QWidget* widget) { visible = widget->isVisible(); });
    return visible ? TRUE : FALSE;
}

int CWnd::GetDlgCtrlID() const { return window_ != nullptr ? window_->id : 0; }

HWND CWnd::GetSafeHwnd() const { return window_ != nullptr ? window_->hwnd : nullptr; }

int CButton::GetCheck() const {
    int check = BST_UNCHECKED;
    With<QAbstractButton>(Window(), [&](QAbstractButton* button) {
        check = button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    });
    return check;
}

void CButton::SetCheck(int check) {
    With<QAbstractButton>(Window(), [&](QAbstractButton* button) {
        tarvex::platform::SetButtonCheck(button, check);
    });
}

void CProgressCtrl::SetRange(short lower, short upper) {
    SetRange32(static_cast<std::uint16_t>(lower), static_cast<std::uint16_t>(upper));
}

void CProgressCtrl::SetRange32(int lower, int upper) {
    With<ProgressBar>(Window(), [&](ProgressBar* bar) {
        bar->Update([&](ProgressModel& model) {
            model.SetBounds(lower, upper);
            return 0;
        });
    });
}

void CProgressCtrl::GetRange(int& lower, int& upper) const {
    lower = upper = 0;
    With<ProgressBar>(Window(), [&](ProgressBar* bar) {
        lower = bar->Model().Lower();
        upper = bar->Model().Upper();
    });
}

int CProgressCtrl::SetPos(int position) {
    int previous = 0;
    With<ProgressBar>(Window(), [&](ProgressBar* bar) {
        previous = bar->Update([&](ProgressModel& model) { return model.SetPosition(position); });
    });
    return previous;
}

int CProgressCtrl::GetPos() const {
    int position = 0;
    With<ProgressBar>(Window(), [&](ProgressBar* bar) { position = bar->Model().Position(); });
    return position;
}

int CProgressCtrl::SetStep(int step) {
    int previous = 0;
    With<ProgressBar>(Window(), [&](ProgressBar* bar) {
        previous = bar->Update([&](ProgressModel& model) { return model.SetStepSize(step); });
    });
    return previous;
}

int CProgressCtrl::StepIt() {
    int previous = 0;
    With<ProgressBar>(Window(), [&](ProgressBar* bar) {
        previous = bar->Update([](ProgressModel& model) { return model.Step(); });
    });
    return previous;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    With<QWidget>(window_, [&](QWidget* widget) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget); message == BM_CLICK && button) {
            button->click();
        } else if (auto* receiver = dynamic_cast<tarvex::platform::MessageReceiver*>(widget)) {
            result = receiver->Receive(message, wParam, lParam);
        }
    });
    return result;
}

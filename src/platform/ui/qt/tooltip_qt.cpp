#include "platform/ui/tooltip.h"

#include "platform/ui/qt/qt_text.h"
#include "platform/ui/qt/window_ref.h"

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD /*style*/) {
    return parent != nullptr ? TRUE : FALSE;
}

BOOL CToolTipCtrl::Activate(BOOL active) {
    active_ = active != FALSE;
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* window, const std::wstring& text, UINT_PTR /*toolId*/) {
    text_ = text;
    Show(window);
    return TRUE;
}

void CToolTipCtrl::UpdateTipText(const std::wstring& text, CWnd* window, UINT_PTR /*toolId*/) {
    text_ = text;
    Show(window);
}

int CToolTipCtrl::SetMaxTipWidth(int width) { return std::exchange(maxWidth_, width); }

void CToolTipCtrl::Show(CWnd* window) {
    if (window == nullptr || window->Window() == nullptr) return;
    QString tip;
    if (active_ && !text_.empty()) {
        // A rich-text cell of the maximum width makes Qt wrap the tip there.
        tip = tarvex::platform::ToQString(text_).toHtmlEscaped();
        if (maxWidth_ > 0) {
            tip = QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>")
                      .arg(maxWidth_)
                      .arg(tip);
        }
    }
    window->Window()->With<QWidget>([&](QWidget* widget) { widget->setToolTip(tip); });
}

#include "platform/ui/tooltip.h"

#include "platform/ui/qt/qt_text.h"
#include "platform/ui/qt/window_ref.h"

// Qt shows a widget's own tip: the tooltip is the text and width it gives the widget.
struct CToolTipCtrl::Impl {
    bool active = false;
    int maxWidth = -1;
    std::wstring text;

    void Show(CWnd* window) const;
};

CToolTipCtrl::CToolTipCtrl() : impl_(std::make_unique<Impl>()) {}

CToolTipCtrl::~CToolTipCtrl() = default;

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD /*style*/) {
    return parent != nullptr ? TRUE : FALSE;
}

BOOL CToolTipCtrl::Activate(BOOL active) {
    impl_->active = active != FALSE;
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* window, const std::wstring& text, UINT_PTR /*toolId*/) {
    impl_->text = text;
    impl_->Show(window);
    return TRUE;
}

void CToolTipCtrl::UpdateTipText(const std::wstring& text, CWnd* window, UINT_PTR /*toolId*/) {
    impl_->text = text;
    impl_->Show(window);
}

int CToolTipCtrl::SetMaxTipWidth(int width) { return std::exchange(impl_->maxWidth, width); }

void CToolTipCtrl::Impl::Show(CWnd* window) const {
    if (window == nullptr || window->Window() == nullptr) return;
    QString tip;
    if (active && !text.empty()) {
        // A rich-text cell of the maximum width makes Qt wrap the tip there.
        tip = tarvex::platform::ToQString(text).toHtmlEscaped();
        if (maxWidth > 0) {
            tip = QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>")
                      .arg(maxWidth)
                      .arg(tip);
        }
    }
    window->Window()->With<QWidget>([&](QWidget* widget) { widget->setToolTip(tip); });
}

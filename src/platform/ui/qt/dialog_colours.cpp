#include "platform/ui/qt/dialog_colours.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

#include "platform/ui/dialog_access.h"
#include "platform/ui/qt/control_text.h"
#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/gdi_qt.h"
#include "platform/ui/qt/window_ref.h"

namespace tarvex::platform {

void ApplyColours(CDialog& owner, QWidget* window, int id) {
    QWidget* widget = nullptr;
    CWnd* object = &owner;
    UINT type = CTLCOLOR_DLG;
    if (id == 0) {
        widget = window;
    } else {
        const auto control = DialogAccess::ControlWindow(owner, id);
        widget = control != nullptr ? control->widget.data() : nullptr;
        object = DialogAccess::ControlObject(owner, id);
        const bool readOnly = (qobject_cast<QTextEdit*>(widget) != nullptr &&
                               qobject_cast<QTextEdit*>(widget)->isReadOnly()) ||
                              (qobject_cast<QLineEdit*>(widget) != nullptr &&
                               qobject_cast<QLineEdit*>(widget)->isReadOnly());
        if (qobject_cast<QPushButton*>(widget) != nullptr ||
            qobject_cast<QRadioButton*>(widget) != nullptr) {
            type = CTLCOLOR_BTN;
        } else if (qobject_cast<QTextEdit*>(widget) != nullptr ||
                   qobject_cast<QLineEdit*>(widget) != nullptr) {
            type = readOnly ? CTLCOLOR_STATIC : CTLCOLOR_EDIT;
        } else {
            type = CTLCOLOR_STATIC;
        }
    }
    if (widget == nullptr) return;
    CDC dc;
    HBRUSH brush = DialogAccess::CtlColor(owner, &dc, object, type);
    if (brush == nullptr) return;  // the system's look
    const bool textBox =
        qobject_cast<QTextEdit*>(widget) != nullptr || qobject_cast<QLineEdit*>(widget) != nullptr;
    QPalette palette = widget->palette();
    COLORREF colour = 0;
    if (BrushColour(brush, colour)) {
        const QColor fill = QColor::fromRgb(ToQRgb(colour));
        palette.setColor(textBox ? QPalette::Base : QPalette::Window, fill);
        if (!textBox) widget->setAutoFillBackground(true);
    } else {
        if (textBox) palette.setColor(QPalette::Base, Qt::transparent);
        widget->setAutoFillBackground(false);
    }
    const CDC::Impl& asked = dc.Native();
    if (asked.textSet) {
        const QColor text = QColor::fromRgb(ToQRgb(asked.textColour));
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Text, text);
    }
    widget->setPalette(palette);
    if (CFont* font = asked.font; font != nullptr && font->IsCreated()) {
        QFont drawn = widget->font();
        drawn.setUnderline(font->Native().font.lfUnderline != 0);
        widget->setFont(drawn);
    }
    widget->update();
}

void RefreshColoursOf(QWidget* control) {
    if (auto* window = dynamic_cast<DialogWindow*>(control->window())) {
        ApplyColours(window->Owner(), window, control->property(kIdProperty).toInt());
    }
}

}  // namespace tarvex::platform

#include "platform/ui/qt/dialog_controls.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextOption>

#include "platform/ui/qt/control_text.h"
#include "platform/ui/qt/progress_bar.h"

namespace tarvex::platform {
namespace {

QWidget* MakeMultiLineEdit(const DialogControl& control, const DialogUnits& units,
                           QWidget* parent) {
    auto* edit = new QTextEdit(parent);
    edit->setReadOnly((control.style & ES_READONLY) != 0);
    edit->setAcceptRichText(false);
    edit->setFrameShape((control.style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
    edit->setVerticalScrollBarPolicy((control.style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                  : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QTextOption option = edit->document()->defaultTextOption();
    option.setAlignment((control.style & ES_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft);
    option.setTabStopDistance(units.X(32));  // an edit box's tab stops: every 32 dialog units
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    edit->document()->setDefaultTextOption(option);
    edit->document()->setDocumentMargin(1);
    if (control.text != nullptr) SetControlText(edit, QString::fromWCharArray(control.text));
    return edit;
}

}  // namespace

QWidget* MakeControl(const DialogControl& control, const DialogUnits& units, QWidget* parent) {
    const QString text =
        control.text != nullptr ? QString::fromWCharArray(control.text) : QString();
    switch (control.kind) {
        case ControlKind::PushButton: {
            auto* button = new QPushButton(text, parent);
            button->setAutoDefault(false);
            button->setDefault((control.style & BS_DEFPUSHBUTTON) != 0);
            return button;
        }
        case ControlKind::AutoRadioButton: {
            auto* radio = new QRadioButton(text, parent);
            radio->setAutoExclusive(false);  // its group's QButtonGroup keeps it exclusive
            return radio;
        }
        case ControlKind::GroupBox: {
            // A group box's title stands on its frame's top line, as the template's rectangle
            // intends; Qt's own styles put it above a frame that starts lower.
            auto* box = new QGroupBox(text, parent);
            box->setStyleSheet(QStringLiteral(
                "QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                " margin-top: 0.5em; }"
                "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                " left: 6px; padding: 0 2px; }"));
            return box;
        }
        case ControlKind::Static: {
            auto* label = new QLabel(text, parent);
            label->setWordWrap(true);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(((control.style & SS_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft) |
                                Qt::AlignTop);
            return label;
        }
        case ControlKind::Edit: {
            if (control.style & ES_MULTILINE) return MakeMultiLineEdit(control, units, parent);
            auto* edit = new QLineEdit(text, parent);
            edit->setFrame((control.style & WS_BORDER) != 0);
            return edit;
        }
        case ControlKind::ProgressBar:
            return new ProgressBar(parent);
    }
    return nullptr;
}

}  // namespace tarvex::platform

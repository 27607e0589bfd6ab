#include "platform/ui/qt/control_text.h"

#include <QTextEdit>
#include <QVariant>

void tarvex::platform::SetControlText(QWidget* control, const QString& text) {
    auto* edit = qobject_cast<QTextEdit*>(control);
    if (edit == nullptr) return;
    edit->setProperty("tarvexText", text);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    edit->setPlainText(shown);
}

QString tarvex::platform::ControlText(const QWidget* control) {
    const QVariant kept = control->property("tarvexText");
    if (kept.isValid()) return kept.toString();
    auto* edit = qobject_cast<const QTextEdit*>(control);
    return edit != nullptr ? edit->toPlainText() : QString();
}

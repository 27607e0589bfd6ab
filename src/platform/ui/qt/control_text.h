// Private to the window layer: the text of a control as the class library's controls keep it,
// and the properties the window layer keeps on a control.
#pragma once

#include <QString>
#include <QWidget>

#include "platform/win32.h"

namespace tarvex::platform {

// Widget properties: the control's style bits and id.
inline constexpr char kStyleProperty[] = "tarvexStyle";
inline constexpr char kIdProperty[] = "tarvexId";

// A multi-line edit box keeps the text exactly as set (CR LF line breaks included) and shows it
// with the line breaks as lines.
void SetControlText(QWidget* control, const QString& text);
QString ControlText(const QWidget* control);

}  // namespace tarvex::platform

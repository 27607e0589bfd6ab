// Private to the window layer: the Qt widget of each kind of template control, placed by
// dialog units converted from the dialog font as MapDialogRect converts them.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QWidget>

#include "platform/ui/dialog_template.h"

namespace tarvex::platform {

// Dialog units to pixels from the dialog font, as MapDialogRect converts them.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const int width = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        baseX_ = (width / 26 + 1) / 2;
        baseY_ = metrics.height();
    }
    int X(int units) const { return (units * baseX_ + 2) / 4; }
    int Y(int units) const { return (units * baseY_ + 4) / 8; }
    QRect Rect(const DialogRect& rect, int top) const {
        return QRect(X(rect.x), top + Y(rect.y), X(rect.cx), Y(rect.cy));
    }

  private:
    int baseX_;
    int baseY_;
};

// The widget of `control`, a child of `parent`, with the template's text and styles.
QWidget* MakeControl(const DialogControl& control, const DialogUnits& units, QWidget* parent);

}  // namespace tarvex::platform

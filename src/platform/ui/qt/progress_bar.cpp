#include "platform/ui/qt/progress_bar.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>

namespace tarvex::platform {

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ProgressBar::Shown(int positionBefore) {
    if (model_.Position() != positionBefore) emit PositionChanged(model_.Position());
    const int filled = model_.FilledWidth(width());
    if (filled == shownWidth_) return;
    shownWidth_ = filled;
    update();
}

void ProgressBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    shownWidth_ = -1;
    Shown(model_.Position());
}

void ProgressBar::paintEvent(QPaintEvent* /*event*/) {
    QStyleOptionProgressBar option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    option.textVisible = false;
    const bool empty = model_.Upper() <= model_.Lower();
    option.minimum = empty ? 0 : model_.Lower();
    option.maximum = empty ? 1 : model_.Upper();
    option.progress = empty ? 0 : model_.Position();
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_ProgressBar, option);
}

}  // namespace tarvex::platform

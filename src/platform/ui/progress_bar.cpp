#include "platform/ui/progress_bar.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <algorithm>
#include <utility>

namespace tarvex::platform {

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ProgressBar::SetBounds(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    Show(upper_ >= lower_ ? std::clamp(position_, lower_, upper_) : lower_);
}

int ProgressBar::SetPosition(int position) {
    const int previous = position_;
    Show(upper_ >= lower_ ? std::clamp(position, lower_, upper_) : lower_);
    return previous;
}

int ProgressBar::SetStepSize(int step) { return std::exchange(step_, step); }

int ProgressBar::Step() {
    const int previous = position_;
    const long long span = static_cast<long long>(upper_) - lower_;
    long long next = static_cast<long long>(position_) + step_;
    if (span > 0 && next > upper_) next = lower_ + (next - lower_) % span;
    if (span > 0 && next < lower_) next = upper_ - (lower_ - next) % span;
    Show(span > 0 ? static_cast<int>(next) : lower_);
    return previous;
}

int ProgressBar::FilledWidth() const {
    const long long span = static_cast<long long>(upper_) - lower_;
    if (span <= 0) return 0;  // an empty range is an empty bar (never the busy animation)
    return static_cast<int>(static_cast<long long>(width()) * (static_cast<long long>(position_) - lower_) / span);
}

void ProgressBar::Show(int position) {
    if (position != std::exchange(position_, position)) emit PositionChanged(position);
    const int filled = FilledWidth();
    if (filled == shownWidth_) return;
    shownWidth_ = filled;
    update();
}

void ProgressBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    shownWidth_ = -1;
    Show(position_);
}

void ProgressBar::paintEvent(QPaintEvent* /*event*/) {
    QStyleOptionProgressBar option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    option.textVisible = false;
    const bool empty = upper_ <= lower_;
    option.minimum = empty ? 0 : lower_;
    option.maximum = empty ? 1 : upper_;
    option.progress = empty ? 0 : position_;
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_ProgressBar, option);
}

}  // namespace tarvex::platform

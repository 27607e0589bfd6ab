#include "platform/ui/progress_bar.h"

#include <algorithm>
#include <utility>

namespace tarvex::platform {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    Show();
}

void ProgressBar::SetBounds(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    position_ = upper_ >= lower_ ? std::clamp(position_, lower_, upper_) : lower_;
    Show();
}

int ProgressBar::SetPosition(int position) {
    const int previous = position_;
    position_ = upper_ >= lower_ ? std::clamp(position, lower_, upper_) : lower_;
    Show();
    return previous;
}

int ProgressBar::SetStepSize(int step) { return std::exchange(step_, step); }

int ProgressBar::Step() {
    const int previous = position_;
    const long long span = static_cast<long long>(upper_) - lower_;
    long long next = static_cast<long long>(position_) + step_;
    if (span > 0 && next > upper_) next = lower_ + (next - lower_) % span;
    if (span > 0 && next < lower_) next = upper_ - (lower_ - next) % span;
    position_ = span > 0 ? static_cast<int>(next) : lower_;
    Show();
    return previous;
}

// QProgressBar shows a busy animation for an empty range; an empty range here is an empty bar.
void ProgressBar::Show() {
    if (upper_ > lower_) {
        setRange(lower_, upper_);
        setValue(position_);
    } else {
        setRange(0, 1);
        setValue(0);
    }
}

}  // namespace tarvex::platform

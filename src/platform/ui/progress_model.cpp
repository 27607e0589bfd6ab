#include "platform/ui/progress_model.h"

#include <algorithm>
#include <utility>

namespace tarvex::platform {

int ProgressModel::Clamped(int position) const {
    return upper_ >= lower_ ? std::clamp(position, lower_, upper_) : lower_;
}

void ProgressModel::SetBounds(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    position_ = Clamped(position_);
}

int ProgressModel::SetPosition(int position) { return std::exchange(position_, Clamped(position)); }

int ProgressModel::SetStepSize(int step) { return std::exchange(step_, step); }

int ProgressModel::Step() {
    const long long span = static_cast<long long>(upper_) - lower_;
    long long next = static_cast<long long>(position_) + step_;
    if (span > 0 && next > upper_) next = lower_ + (next - lower_) % span;
    if (span > 0 && next < lower_) next = upper_ - (lower_ - next) % span;
    return std::exchange(position_, span > 0 ? static_cast<int>(next) : lower_);
}

int ProgressModel::FilledWidth(int width) const {
    const long long span = static_cast<long long>(upper_) - lower_;
    if (span <= 0) return 0;  // an empty range is an empty bar
    return static_cast<int>(static_cast<long long>(width) *
                            (static_cast<long long>(position_) - lower_) / span);
}

}  // namespace tarvex::platform

// Private to the Qt window backend: a progress bar drawn by the style from the common control's
// model.
//
// A job sets the position after every block it sends, far more often than the bar can show a
// change: a new position costs nothing on the window thread unless the bar's filled part grows
// or shrinks by a pixel, and then the bar is painted in the window's own time, not within the
// call (QProgressBar paints at once, inside the job's synchronous call).
#pragma once

#include <QWidget>

#include "platform/ui/progress_model.h"

namespace tarvex::platform {

class ProgressBar final : public QWidget {
    Q_OBJECT

  public:
    explicit ProgressBar(QWidget* parent);

    const ProgressModel& Model() const { return model_; }
    // Changes the model through `change` (which returns what it returns), then shows it.
    template <typename Change>
    auto Update(Change change) {
        const int before = model_.Position();
        const auto result = change(model_);
        Shown(before);
        return result;
    }

  Q_SIGNALS:
    // The position has changed (for tests and the demo, which follow every one).
    void PositionChanged(int position);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Tells of a new position, and schedules a paint when what the bar shows has changed.
    void Shown(int positionBefore);

    ProgressModel model_;
    int shownWidth_ = -1;  // the filled width last scheduled for painting
};

}  // namespace tarvex::platform

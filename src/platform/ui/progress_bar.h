// Private to the window layer: a progress bar that keeps the common control's model and is drawn
// by the style as the desktop's progress bars are.
//
// A job sets the position after every block it sends, far more often than the bar can show a
// change: a new position costs nothing on the window thread unless the bar's filled part grows
// or shrinks by a pixel, and then the bar is painted in the window's own time, not within the
// call (QProgressBar paints at once, inside the job's synchronous call).
#pragma once

#include <QWidget>

namespace tarvex::platform {

class ProgressBar final : public QWidget {
    Q_OBJECT

  public:
    explicit ProgressBar(QWidget* parent);

    void SetBounds(int lower, int upper);
    int Lower() const { return lower_; }
    int Upper() const { return upper_; }
    int SetPosition(int position);  // returns the previous one
    int Position() const { return position_; }
    int SetStepSize(int step);  // returns the previous one
    int Step();                 // returns the previous position

  Q_SIGNALS:
    // The position has changed (for tests and the demo, which follow every one).
    void PositionChanged(int position);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The width in pixels of the filled part for the current model.
    int FilledWidth() const;
    // Takes `position` as the new one, and schedules a paint when what the bar shows changes.
    void Show(int position);

    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
    int step_ = 10;
    int shownWidth_ = -1;  // the filled width last scheduled for painting
};

}  // namespace tarvex::platform

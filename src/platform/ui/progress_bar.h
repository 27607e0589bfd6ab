// Private to the window layer: a progress bar that keeps the common control's model.
#pragma once

#include <QProgressBar>

namespace tarvex::platform {

class ProgressBar final : public QProgressBar {
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

  private:
    void Show();

    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
    int step_ = 10;
};

}  // namespace tarvex::platform

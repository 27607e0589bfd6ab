// Private to the window layer: the progress bar common control's model, as a window system that
// has no such control keeps it. The position stays inside the range (an empty or reversed
// range holds only its lower bound); a step past the upper bound wraps round to the lower one.
#pragma once

namespace tarvex::platform {

class ProgressModel {
  public:
    void SetBounds(int lower, int upper);
    int Lower() const { return lower_; }
    int Upper() const { return upper_; }
    int SetPosition(int position);  // returns the previous one
    int Position() const { return position_; }
    int SetStepSize(int step);  // returns the previous one
    int Step();                 // returns the previous position
    // The filled part of a bar `width` pixels wide.
    int FilledWidth(int width) const;

  private:
    int Clamped(int position) const;

    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
    int step_ = 10;
};

}  // namespace tarvex::platform

// Private to the window layer: a window's paints kept to its screen's refresh rate.
//
// A job can change the status line and the progress bar thousands of times a second; painting
// every change would keep the window thread busy longer than the screen can show them, and each
// synchronous call from the job would wait behind a paint. A paint asked for sooner than a frame
// after the last one waits until that frame is due. Nothing is lost meanwhile: the window's
// dirty region keeps growing until the held paint comes.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWidget;

namespace tarvex::platform {

class PaintPacer final : public QObject {
  public:
    // Paces the paints of `window`, a top-level window, for its life.
    explicit PaintPacer(QWidget* window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    QElapsedTimer sinceLastPaint_;
    QTimer due_;  // the held paint's frame
};

}  // namespace tarvex::platform

#include "platform/ui/qt/paint_pacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace tarvex::platform {

namespace {

// A frame of the window's screen in milliseconds (60 a second where the screen does not say).
int FrameMs(const QWidget* window) {
    const QScreen* screen = window->screen();
    const double rate = screen != nullptr ? screen->refreshRate() : 0.0;
    return static_cast<int>(std::lround(1000.0 / (rate >= 24.0 ? std::min(rate, 240.0) : 60.0)));
}

}  // namespace

PaintPacer::PaintPacer(QWidget* window) : QObject(window), window_(window) {
    due_.setSingleShot(true);
    connect(&due_, &QTimer::timeout, this, [this] {
        // The request the pacer held is asked for again; Qt does not repeat it meanwhile.
        QCoreApplication::postEvent(window_, new QEvent(QEvent::UpdateRequest),
                                    Qt::LowEventPriority);
    });
    window->installEventFilter(this);
}

bool PaintPacer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_ || event->type() != QEvent::UpdateRequest) return false;
    const int frameMs = FrameMs(window_);
    if (!sinceLastPaint_.isValid() || sinceLastPaint_.elapsed() >= frameMs) {
        sinceLastPaint_.start();
        return false;  // painted now
    }
    if (!due_.isActive()) {
        due_.start(frameMs - static_cast<int>(sinceLastPaint_.elapsed()));
    }
    return true;  // held until its frame
}

}  // namespace tarvex::platform

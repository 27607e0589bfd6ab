#include "platform/ui/busy_window_thread.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QThread>
#include <QWidget>

namespace tarvex::platform {

// Holds back the closes of the windows that were open when the thread became busy, and carries
// them out once it is not: a close handler run in the middle of the command would end the
// window under it. Windows the command opens itself (its message boxes) close as usual.
class BusyWindowThread::HeldCloses final : public QObject {
  public:
    HeldCloses() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible()) busy_.push_back(window);
        }
        qApp->installEventFilter(this);
    }
    bool Any() const { return !held_.isEmpty(); }

    ~HeldCloses() override {
        qApp->removeEventFilter(this);
        for (const QPointer<QWidget>& window : held_) {
            if (window) {
                QMetaObject::invokeMethod(
                    window.data(), [window] { window->close(); }, Qt::QueuedConnection);
            }
        }
    }

  protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        auto* window = qobject_cast<QWidget*>(target);
        if (event->type() != QEvent::Close || window == nullptr || !busy_.contains(window)) {
            return false;
        }
        event->ignore();
        if (!held_.contains(window)) held_.push_back(window);
        return true;
    }

  private:
    QList<QPointer<QWidget>> busy_;  // the windows of the busy thread
    QList<QPointer<QWidget>> held_;
};

BusyWindowThread::BusyWindowThread() : closes_(std::make_unique<HeldCloses>()) {}

BusyWindowThread::~BusyWindowThread() = default;

bool BusyWindowThread::CloseHeld() const { return closes_->Any(); }

void BusyWindowThread::Paint() {
    if (QThread::currentThread() != qApp->thread()) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace tarvex::platform

#include "platform/ui/window_link.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <future>

namespace tarvex::platform {

namespace {

const QEvent::Type kCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// One posted call. An event that is destroyed without having run (its receiver went first)
// still answers its caller, so no caller waits for ever.
class CallEvent final : public QEvent {
  public:
    CallEvent(const std::function<void()>& call, std::shared_ptr<WindowLink::Gate> gate)
        : QEvent(kCallEvent), call_(call), gate_(std::move(gate)) {}
    ~CallEvent() override {
        if (!answered_) done_.set_value(false);
    }

    std::future<bool> Future() { return done_.get_future(); }

    void Run() {
        answered_ = true;
        if (!gate_->IsOpen()) {
            done_.set_value(false);
            return;
        }
        try {
            call_();
            done_.set_value(true);
        } catch (...) {
            done_.set_exception(std::current_exception());
        }
    }

  private:
    const std::function<void()>& call_;  // the caller waits, so its call outlives the event
    std::shared_ptr<WindowLink::Gate> gate_;
    std::promise<bool> done_;
    bool answered_ = false;
};

class CallReceiver final : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() != kCallEvent) return QObject::event(event);
        static_cast<CallEvent*>(event)->Run();
        return true;
    }
};

}  // namespace

bool IsWindowThread() {
    auto* application = QCoreApplication::instance();
    return application != nullptr && QThread::currentThread() == application->thread();
}

// The link's calls are posted to an object of its own on the window thread: deleting it, as the
// link goes, drops the calls still queued, which answers them.
struct WindowLink::State {
    State() : receiver(new CallReceiver()) {}
    ~State() {
        if (IsWindowThread()) {
            delete receiver;
        } else {
            receiver->deleteLater();
        }
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    QObject* receiver;
};

WindowLink::WindowLink() : state_(std::make_shared<State>()) {}

bool WindowLink::RunFromAnotherThread(const std::function<void()>& call) const {
    std::future<bool> done;
    const bool posted = gate_->WhileOpen([&] {
        if (QCoreApplication::instance() == nullptr) return false;
        auto* event = new CallEvent(call, gate_);
        done = event->Future();
        QCoreApplication::postEvent(state_->receiver, event);
        return true;
    });
    return posted && done.get();
}

}  // namespace tarvex::platform

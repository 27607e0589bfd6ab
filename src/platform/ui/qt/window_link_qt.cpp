#include "platform/ui/window_link.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <future>
#include <mutex>

namespace tarvex::platform {

struct WindowLink::State {
    std::mutex mutex;  // guards `open`
    bool open = true;
    QObject* receiver = nullptr;  // lives on the window thread

    bool IsOpen() {
        std::lock_guard lock(mutex);
        return open;
    }
};

namespace {

const QEvent::Type kCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// One posted call. An event that is destroyed without having run (its receiver went first)
// still answers its caller, so no caller waits for ever.
class CallEvent final : public QEvent {
  public:
    CallEvent(const std::function<void()>& call, std::shared_ptr<WindowLink::State> state)
        : QEvent(kCallEvent), call_(call), state_(std::move(state)) {}
    ~CallEvent() override {
        if (!answered_) done_.set_value(false);
    }

    std::future<bool> Future() { return done_.get_future(); }

    void Run() {
        answered_ = true;
        if (!state_->IsOpen()) {
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
    std::shared_ptr<WindowLink::State> state_;
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

WindowLink::WindowLink() : state_(std::make_shared<State>()) {}

std::shared_ptr<WindowLink> WindowLink::Create() {
    std::shared_ptr<WindowLink> link(new WindowLink());
    link->state_->receiver = new CallReceiver();
    return link;
}

WindowLink::~WindowLink() {
    Close();
    // Deleting the receiver drops its queued calls, which answers them.
    if (IsWindowThread()) {
        delete state_->receiver;
    } else {
        state_->receiver->deleteLater();
    }
}

bool WindowLink::Run(const std::function<void()>& call) const {
    if (IsWindowThread()) {
        if (!state_->IsOpen()) return false;
        call();
        return true;
    }
    std::future<bool> done;
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->open || QCoreApplication::instance() == nullptr) return false;
        auto* event = new CallEvent(call, state_);
        done = event->Future();
        QCoreApplication::postEvent(state_->receiver, event);
    }
    return done.get();
}

void WindowLink::Close() {
    std::lock_guard lock(state_->mutex);
    state_->open = false;
}

bool WindowLink::IsOpen() const { return state_->IsOpen(); }

}  // namespace tarvex::platform

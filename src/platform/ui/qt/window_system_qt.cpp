#include "platform/ui/window_system.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/system/message_box.h"
#include "platform/system/threads.h"
#include "platform/system/window_thread_wait.h"
#include "platform/ui/qt/message_box_qt.h"
#include "platform/ui/qt/qt_access.h"
#include "platform/ui/qt/qt_text.h"
#include "platform/ui/qt/session_end_qt.h"
#include "platform/ui/qt/window_registry.h"
#include "platform/ui/window_link.h"
#include "platform/ui/window_message_box.h"
#include "platform/win32.h"

namespace tarvex::platform {
namespace {

// The window thread waits in a nested event loop, so that its windows and the worker's
// synchronous calls keep being served. A helper thread waits on the handle and ends the loop.
// The deadline is fixed when the wait starts, as the Win32 backend's is (see there why). With
// no time at all, what is already queued is still served before the handle is looked at again.
bool WaitOnWindowThread(HANDLE handle, DWORD timeoutMs) {
    if (timeoutMs == 0) {
        if (WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) return true;
        QCoreApplication::processEvents();
        return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    }
    HANDLE cancel = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (cancel == nullptr) return false;
    QEventLoop loop;
    std::atomic<bool> signalled{false};
    std::thread helper([&] {
        HANDLE handles[] = {handle, cancel};
        if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0) signalled = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer timer;
    if (timeoutMs != INFINITE) {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(static_cast<int>(std::min<DWORD>(timeoutMs, INT32_MAX)));
    }
    loop.exec();
    SetEvent(cancel);
    helper.join();  // after this the helper's verdict is final: a signal it took is reported
    CloseHandle(cancel);
    return signalled;
}

}  // namespace

struct WindowSystem::Impl {
    Impl(int& argc, char** argv) : application(argc, argv) {}
    QApplication application;
    std::shared_ptr<WindowLink> link = WindowLink::Create();
    OwnerlessBoxes ownerlessBoxes{link};
    SessionEndWatch sessionEnd;
    WindowMessageBoxPresenter presenter{link, ShowBox, [this](const MessageBoxRequest& request) {
                                            return ownerlessBoxes.Show(request);
                                        }};
    MessageBoxPresenter* previousPresenter = nullptr;
};

WindowSystem::WindowSystem(int& argc, char** argv) : impl_(std::make_unique<Impl>(argc, argv)) {
    impl_->previousPresenter = SetMessageBoxPresenter(&impl_->presenter);
    SetWindowThreadWait(GetCurrentThreadId(), WaitOnWindowThread);
}

WindowSystem::~WindowSystem() {
    SetWindowThreadWait(0, nullptr);
    SetMessageBoxPresenter(impl_->previousPresenter);
    impl_->ownerlessBoxes.CloseAll();
    impl_->link->Close();
}

void PostToWindowThread(std::function<void()> call) {
    if (QCoreApplication::instance() == nullptr) return;
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
}

// The thread sleeps in an event loop, as a modal loop does, so that another thread's call is
// served the moment it comes; `done` is looked at every few milliseconds.
bool PumpMessagesUntil(const std::function<bool()>& done, int timeoutMs) {
    constexpr int kLookEveryMs = 2;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QEventLoop loop;
        QTimer::singleShot(kLookEveryMs, &loop, &QEventLoop::quit);
        loop.exec();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

bool WindowSystem::DisplayAvailable() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace tarvex::platform

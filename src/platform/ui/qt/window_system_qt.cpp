#include "platform/ui/window_system.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/message_box.h"
#include "platform/threads.h"
#include "platform/ui/qt/qt_access.h"
#include "platform/ui/qt/qt_text.h"
#include "platform/ui/qt/window_registry.h"
#include "platform/ui/window_link.h"
#include "platform/ui/window_message_box.h"
#include "platform/win32.h"
#include "platform/window_thread_wait.h"

namespace tarvex::platform {
namespace {

QMessageBox::StandardButtons ButtonsFor(UINT style) {
    switch (style & 0xF) {
        case MB_OKCANCEL:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MB_YESNO:
            return QMessageBox::Yes | QMessageBox::No;
        default:
            return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconFor(UINT style) {
    switch (style & 0xF0) {
        case MB_ICONHAND:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int ResultFor(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return IDCANCEL;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        default:
            return IDOK;
    }
}

// A box as a window of its own, owned by the window `request.owner` names; 0 when that window
// has gone.
int ShowBox(const MessageBoxRequest& request) {
    QWidget* owner = WindowForHandle(request.owner);
    if (request.owner != nullptr && owner == nullptr) return 0;
    const QString caption = ToQString(request.caption);
    QMessageBox box(IconFor(request.style), caption, ToQString(request.text),
                    ButtonsFor(request.style), owner);
    // A box has a title and a close button, nothing to minimise or maximise.
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    // The box sizes itself to its text alone; a short text would leave the caption cut.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(MessageBoxMinimumWidth(caption), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return ResultFor(box.exec());
}

// The window thread waits in a nested event loop, so that its windows and the worker's
// synchronous calls keep being served. A helper thread waits on the handle and ends the loop.
bool WaitOnWindowThread(HANDLE handle, DWORD timeoutMs) {
    if (timeoutMs == 0) return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
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

int MessageBoxMinimumWidth(const QString& caption) {
    // Window managers draw captions in a bold face of about the dialog font's size, beside an
    // icon and the close button.
    constexpr int kTitleBarExtras = 120;
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(caption) + kTitleBarExtras;
}

struct WindowSystem::Impl {
    Impl(int& argc, char** argv) : application(argc, argv) {}
    QApplication application;
    std::shared_ptr<WindowLink> link = WindowLink::Create();
    WindowMessageBoxPresenter presenter{link, ShowBox};
    MessageBoxPresenter* previousPresenter = nullptr;
};

WindowSystem::WindowSystem(int& argc, char** argv) : impl_(std::make_unique<Impl>(argc, argv)) {
    impl_->previousPresenter = SetMessageBoxPresenter(&impl_->presenter);
    SetWindowThreadWait(GetCurrentThreadId(), WaitOnWindowThread);
}

WindowSystem::~WindowSystem() {
    SetWindowThreadWait(0, nullptr);
    SetMessageBoxPresenter(impl_->previousPresenter);
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

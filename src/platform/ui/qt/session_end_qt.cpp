#include "platform/ui/qt/session_end_qt.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>

#include "platform/ui/qt/dialog_window.h"

namespace tarvex::platform {
namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};
// How soon the next window is looked at once a nested one was asked to go: its loop returns
// only after the step that asked it.
constexpr int kNextStepMs = 10;

volatile std::sig_atomic_t g_writeEnd = -1;

// The only thing a handler may safely do: say it came, through the pipe. The next such signal
// takes the system's way and ends the program at once.
void OnEndSignal(int signal) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(signal);
    if (g_writeEnd >= 0 && write(g_writeEnd, &byte, 1) < 0) {
        // A full pipe already holds a byte: the window thread hears of it all the same.
    }
    std::signal(signal, SIG_DFL);
    errno = savedErrno;
}

// Closes the innermost modal window as its user would leave it, then the next, until the main
// window (a window of its own) has been closed through its close sequence.
void CloseWindowsStep() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (auto* window = dynamic_cast<DialogWindow*>(modal); window != nullptr) {
        if (window->parentWidget() == nullptr) {
            // As its close box: a busy window (a download under way) holds the close until
            // the command has ended, and the command sees it and ends early.
            window->close();
            return;
        }
        window->Owner().EndDialog(IDCANCEL);
    } else if (dialog != nullptr) {
        dialog->reject();  // a message box, the file dialog
    } else {
        modal->close();
    }
    QTimer::singleShot(kNextStepMs, [] { CloseWindowsStep(); });
}

}  // namespace

struct SessionEndWatch::Impl {
    int pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
};

SessionEndWatch::SessionEndWatch() : impl_(std::make_unique<Impl>()) {
    std::signal(SIGXFSZ, SIG_IGN);
    if (::pipe2(impl_->pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    g_writeEnd = impl_->pipe[1];
    impl_->notifier = std::make_unique<QSocketNotifier>(impl_->pipe[0], QSocketNotifier::Read);
    QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (read(impl_->pipe[0], bytes, sizeof bytes) > 0) {
        }
        CloseWindowsStep();
    });
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kEndSignals) sigaction(signal, &action, nullptr);
}

SessionEndWatch::~SessionEndWatch() {
    for (int signal : kEndSignals) std::signal(signal, SIG_DFL);
    g_writeEnd = -1;
    impl_->notifier.reset();
    for (int end : impl_->pipe) {
        if (end >= 0) close(end);
    }
}

}  // namespace tarvex::platform

// Drives a modal dialog from inside its own event loop, as a user would.
#pragma once

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>

#include "platform/ui/dialog.h"
#include "platform/ui/qt/qt_access.h"

// Shows `dialog` modally, runs `steps` inside its modal loop and ends the dialog with Cancel if
// the steps left it open. Returns DoModal's result.
inline INT_PTR RunModal(CDialog& dialog, const std::function<void()>& steps) {
    QTimer::singleShot(0, [&] {
        if (QWidget* window = tarvex::platform::DialogWidget(dialog)) {
            window->activateWindow();
            // Active, so that focus moves as the user sees it; offscreen this takes no time.
            (void)QTest::qWaitForWindowActive(window, 1000);
        }
        steps();
        QWidget* window = tarvex::platform::DialogWidget(dialog);
        if (window != nullptr && window->isVisible()) dialog.EndDialog(IDCANCEL);
    });
    return dialog.DoModal();
}

// Keeps the window thread's events flowing until `condition` holds; false after `timeoutMs`.
// The thread sleeps in the event loop, as the window's own modal loop does, so a worker's call
// into the window is served the moment it comes (QTest::qWaitFor sleeps 10 ms at a time between
// its passes, and every such call would wait for it); the condition is looked at every 2 ms.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

inline void Click(const CDialog& dialog, int controlId) {
    auto* button =
        qobject_cast<QAbstractButton*>(tarvex::platform::ControlWidget(dialog, controlId));
    if (button != nullptr) button->click();
}

// The menu bar action with command `id`, searched through every popup.
inline QAction* MenuAction(const CDialog& dialog, unsigned id) {
    std::function<QAction*(const QList<QAction*>&)> find =
        [&](const QList<QAction*>& actions) -> QAction* {
        for (QAction* action : actions) {
            if (action->menu() != nullptr) {
                if (QAction* found = find(action->menu()->actions())) return found;
            } else if (action->property("tarvexCommandId").toUInt() == id) {
                return action;
            }
        }
        return nullptr;
    };
    QMenuBar* bar = tarvex::platform::MenuBarWidget(dialog);
    return bar != nullptr ? find(bar->actions()) : nullptr;
}

// The popup at `position` of the menu bar.
inline QMenu* MenuAt(const CDialog& dialog, int position) {
    QMenuBar* bar = tarvex::platform::MenuBarWidget(dialog);
    return bar != nullptr ? bar->actions().at(position)->menu() : nullptr;
}

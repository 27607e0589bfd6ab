#include "platform/ui/user_input.h"

#include <QApplication>
#include <QKeyEvent>

#include "platform/ui/qt/window_ref.h"

namespace tarvex::platform {
namespace {

int QtKeyOf(UINT virtualKey) {
    switch (virtualKey) {
        case VK_RETURN:
            return Qt::Key_Return;
        case VK_ESCAPE:
            return Qt::Key_Escape;
        case VK_SPACE:
            return Qt::Key_Space;
        default:
            return 0;
    }
}

}  // namespace

void SetFocus(CWnd& window) {
    if (window.Window() != nullptr) {
        window.Window()->With<QWidget>([](QWidget* widget) { widget->setFocus(); });
    }
}

void PressKey(UINT virtualKey) {
    // The control with the focus, or else the dialog on top, as a key typed into it goes.
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr) target = QApplication::activeModalWidget();
    if (target == nullptr) return;
    const int key = QtKeyOf(virtualKey);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

}  // namespace tarvex::platform

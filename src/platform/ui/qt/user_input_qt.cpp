#include "platform/ui/user_input.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>

#include "platform/ui/qt/qt_text.h"
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

QMessageBox* VisibleBox(const std::wstring& caption) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (box != nullptr && box->isVisible() && box->windowTitle() == ToQString(caption)) {
            return box;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<OpenMessageBox> FindOpenMessageBox(const std::wstring& caption) {
    const QMessageBox* box = VisibleBox(caption);
    if (box == nullptr) return std::nullopt;
    return OpenMessageBox{box->parentWidget() != nullptr, box->isModal()};
}

bool AnswerOpenMessageBox(const std::wstring& caption) {
    QMessageBox* box = VisibleBox(caption);
    if (box == nullptr) return false;
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
        ok->click();
    } else {
        box->reject();
    }
    return true;
}

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

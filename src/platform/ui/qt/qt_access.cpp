#include "platform/ui/qt/qt_access.h"

#include "platform/ui/control_watch.h"

#include "platform/ui/qt/progress_bar.h"
#include "platform/ui/qt/window_ref.h"

namespace tarvex::platform {

QDialog* DialogWidget(const CDialog& dialog) {
    return dialog.Window() != nullptr ? qobject_cast<QDialog*>(dialog.Window()->widget.data())
                                      : nullptr;
}

QWidget* ControlWidget(const CDialog& dialog, int id) {
    auto window = dialog.ControlWindow(id);
    return window != nullptr ? window->widget.data() : nullptr;
}

QMenuBar* MenuBarWidget(const CDialog& dialog) {
    QDialog* window = DialogWidget(dialog);
    return window != nullptr ? window->findChild<QMenuBar*>() : nullptr;
}

void WatchProgressBar(const CDialog& dialog, int id, std::function<void(int)> changed) {
    if (auto* bar = qobject_cast<ProgressBar*>(ControlWidget(dialog, id))) {
        QObject::connect(bar, &ProgressBar::PositionChanged, bar, std::move(changed));
    }
}

}  // namespace tarvex::platform

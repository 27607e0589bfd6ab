#include "platform/ui/qt/qt_access.h"

#include "platform/ui/control_watch.h"

#include "platform/ui/qt/control_text.h"
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

bool SaveWindowPicture(const CDialog& dialog, const std::filesystem::path& file) {
    QDialog* window = DialogWidget(dialog);
    return window != nullptr && window->grab().save(QString::fromStdWString(file.wstring()), "PNG");
}

std::vector<std::wstring> ControlTexts(const CDialog& dialog) {
    std::vector<std::wstring> texts;
    QDialog* window = DialogWidget(dialog);
    if (window == nullptr) return texts;
    for (QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!control->property(kIdProperty).isValid()) continue;  // not a template's control
        CWnd object;
        auto ref = std::make_shared<WindowRef>();
        ref->link = dialog.Window()->link;
        ref->widget = control;
        object.Attach(ref);
        texts.push_back(object.GetWindowText());
    }
    return texts;
}

}  // namespace tarvex::platform

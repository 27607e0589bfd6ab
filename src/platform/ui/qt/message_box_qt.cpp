#include "platform/ui/qt/message_box_qt.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "platform/ui/qt/qt_access.h"
#include "platform/ui/qt/qt_text.h"
#include "platform/ui/qt/window_registry.h"

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

// A box configured as every box of this program: its icon, text and buttons, a title and a close
// button (nothing to minimise or maximise), and wide enough for its caption.
std::unique_ptr<QMessageBox> MakeBox(const MessageBoxRequest& request, QWidget* owner) {
    const QString caption = ToQString(request.caption);
    auto box = std::make_unique<QMessageBox>(
        IconFor(request.style), caption, ToQString(request.text), ButtonsFor(request.style), owner);
    box->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowCloseButtonHint);
    // The box sizes itself to its text alone; a short text would leave the caption cut.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(MessageBoxMinimumWidth(caption), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

// The answer to an ownerless box, given on the window thread and awaited on the asking one.
class BoxAnswer {
  public:
    void Give(int result) {
        std::lock_guard lock(mutex_);
        if (!result_) result_ = result;
        given_.notify_all();
    }
    int Wait() {
        std::unique_lock lock(mutex_);
        given_.wait(lock, [this] { return result_.has_value(); });
        return *result_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable given_;
    std::optional<int> result_;
};

}  // namespace

int ShowBox(const MessageBoxRequest& request) {
    QWidget* owner = WindowForHandle(request.owner);
    if (request.owner != nullptr && owner == nullptr) return 0;
    return ResultFor(MakeBox(request, owner)->exec());
}

OwnerlessBoxes::OwnerlessBoxes(std::shared_ptr<WindowLink> link) : link_(std::move(link)) {}

int OwnerlessBoxes::Show(const MessageBoxRequest& request) {
    auto answer = std::make_shared<BoxAnswer>();
    const bool shown = link_->Run([&] {
        QMessageBox* box = MakeBox(request, nullptr).release();
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        QObject::connect(box, &QDialog::finished,
                         [answer](int button) { answer->Give(ResultFor(button)); });
        QObject::connect(box, &QObject::destroyed, [answer] { answer->Give(0); });
        open_.emplace_back(box);
        box->show();
    });
    return shown ? answer->Wait() : 0;
}

void OwnerlessBoxes::CloseAll() {
    for (const QPointer<QMessageBox>& box : open_) delete box.data();
    open_.clear();
}

int MessageBoxMinimumWidth(const QString& caption) {
    // Window managers draw captions in a bold face of about the dialog font's size, beside an
    // icon and the close button.
    constexpr int kTitleBarExtras = 120;
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(caption) + kTitleBarExtras;
}

}  // namespace tarvex::platform

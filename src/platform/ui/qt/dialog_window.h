// Private to the Qt window backend: the Qt window of a CDialog.
#pragma once

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "platform/ui/dialog_access.h"
#include "platform/ui/qt/control_text.h"
#include "platform/ui/qt/gdi_qt.h"
#include "platform/ui/qt/window_ref.h"

namespace tarvex::platform {

// The Qt window of a CDialog: its close box, keys, painting and notifying static texts reach the
// dialog's handlers.
class DialogWindow final : public QDialog, public MessageReceiver {
  public:
    DialogWindow(CDialog& owner, QWidget* parent) : QDialog(parent), owner_(owner) {}

    // Commands, menu commands, the popup's set-up, the close, the drag icon and the session's
    // end reach the dialog's handlers; other messages are answered 0.
    LRESULT Receive(UINT message, WPARAM wParam, LPARAM lParam) override;

    CDialog& Owner() const { return owner_; }
    // The menu Alt+Space and a right click on the window open; none until the dialog makes one.
    void SetSystemMenu(QMenu* menu) { systemMenu_ = menu; }
    QMenu* SystemMenu() const { return systemMenu_; }

  protected:
    // The close box and the window manager's Close arrive as WM_CLOSE.
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        DialogAccess::Close(owner_);
    }

    void keyPressEvent(QKeyEvent* event) override {
        const bool plain =
            event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
        if (event->key() == Qt::Key_Escape && plain) {
            DialogAccess::Command(owner_, IDCANCEL);
        } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain) {
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                button->click();
            } else {
                DialogAccess::Command(owner_, IDOK);
            }
        } else {
            QDialog::keyPressEvent(event);
        }
    }

    // A click with the right button where no control takes it opens the system menu too: a
    // window manager may keep Alt+Space for its own menu.
    void contextMenuEvent(QContextMenuEvent* event) override {
        if (systemMenu_ != nullptr) systemMenu_->popup(event->globalPos());
    }

    void reject() override { DialogAccess::Command(owner_, IDCANCEL); }

    // The dialog's own drawing goes into an image of the client area, shown in one piece.
    void paintEvent(QPaintEvent* event) override {
        QDialog::paintEvent(event);
        QImage client(size(), QImage::Format_RGB32);
        client.fill(palette().color(backgroundRole()));
        auto surface = std::make_unique<CDC::Impl>();
        surface->client = &client;
        CDC dc(std::move(surface));
        if (DialogAccess::Paint(owner_, dc)) QPainter(this).drawImage(0, 0, client);
    }

    // A click on a static text that asks for notifications (SS_NOTIFY) is its STN_CLICKED.
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* label = qobject_cast<QLabel*>(watched);
        if (label != nullptr && event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            (label->property(kStyleProperty).toUInt() & SS_NOTIFY) != 0 &&
            label->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            DialogAccess::Notify(owner_, label->property(kIdProperty).toInt(), STN_CLICKED);
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }

  private:
    CDialog& owner_;
    QMenu* systemMenu_ = nullptr;
};

}  // namespace tarvex::platform

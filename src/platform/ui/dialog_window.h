// Private to the window layer: the Qt window of a CDialog and the door through which it reaches
// the dialog's protected handlers.
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

#include "platform/ui/control_text.h"
#include "platform/ui/dialog.h"
#include "platform/ui/gdi.h"

namespace tarvex::platform {

// Lets the window reach the dialog's protected handlers.
class DialogWindowAccess {
  public:
    static BOOL Command(CDialog& dialog, UINT id) { return dialog.OnCmdMsg(id); }
    static void Close(CDialog& dialog) { dialog.OnClose(); }
    static void Timer(CDialog& dialog, UINT_PTR id) { dialog.OnTimer(id); }
    static void SysCommand(CDialog& dialog, UINT id) { dialog.OnSysCommand(id, 0); }
    static bool Paint(CDialog& dialog, CDC& dc) { return dialog.OnPaint(dc); }
    static void InitMenuPopup(CDialog& dialog, UINT index) {
        CMenu popup = dialog.GetMenu().GetSubMenu(static_cast<int>(index));
        dialog.OnInitMenuPopup(popup, index, FALSE);
    }
    static void Notify(CDialog& dialog, int id);
};

// The Qt window of a CDialog: its close box, keys, painting and notifying static texts reach the
// dialog's handlers.
class DialogWindow final : public QDialog {
  public:
    DialogWindow(CDialog& owner, QWidget* parent) : QDialog(parent), owner_(owner) {}

    CDialog& Owner() const { return owner_; }
    // The menu Alt+Space and a right click on the window open; none until the dialog makes one.
    void SetSystemMenu(QMenu* menu) { systemMenu_ = menu; }
    QMenu* SystemMenu() const { return systemMenu_; }

  protected:
    // The close box and the window manager's Close arrive as WM_CLOSE.
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        DialogWindowAccess::Close(owner_);
    }

    void keyPressEvent(QKeyEvent* event) override {
        const bool plain =
            event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
        if (event->key() == Qt::Key_Escape && plain) {
            DialogWindowAccess::Command(owner_, IDCANCEL);
        } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain) {
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                button->click();
            } else {
                DialogWindowAccess::Command(owner_, IDOK);
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

    void reject() override { DialogWindowAccess::Command(owner_, IDCANCEL); }

    // The dialog's own drawing goes into an image of the client area, shown in one piece.
    void paintEvent(QPaintEvent* event) override {
        QDialog::paintEvent(event);
        QImage client(size(), QImage::Format_RGB32);
        client.fill(palette().color(backgroundRole()));
        CDC dc(&client);
        if (DialogWindowAccess::Paint(owner_, dc)) QPainter(this).drawImage(0, 0, client);
    }

    // A click on a static text that asks for notifications (SS_NOTIFY) is its STN_CLICKED.
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* label = qobject_cast<QLabel*>(watched);
        if (label != nullptr && event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            (label->property(kStyleProperty).toUInt() & SS_NOTIFY) != 0 &&
            label->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            DialogWindowAccess::Notify(owner_, label->property(kIdProperty).toInt());
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }

  private:
    CDialog& owner_;
    QMenu* systemMenu_ = nullptr;
};

}  // namespace tarvex::platform

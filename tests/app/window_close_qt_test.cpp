// The main window's system menu and message boxes on Linux, where Qt draws them: Alt+Space and
// a right click open the menu, and a box shows its whole caption.
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "app/main_window_fixture.h"
#include "platform/ui/qt/qt_access.h"
#include "support/dialog_driver.h"

namespace main_window_test {

using tarvex::platform::ControlWidget;
using tarvex::platform::DialogWidget;

// The system menu of the window (Alt+Space or a right click), or null while it is not open.
QMenu* OpenSystemMenu(const CDialog& dialog) {
    for (QMenu* menu : DialogWidget(dialog)->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        if (menu->isVisible()) return menu;
    }
    return nullptr;
}

TEST_F(MainWindowTest, AltSpaceAndRightClickOpenTheSystemMenuAndPressNothing) {
    TestLoaderDialog dialog;
    ::RunModal(dialog, [&] {
        QWidget* update = ControlWidget(dialog, IDC_UPDATE);
        update->setFocus();
        ASSERT_TRUE(update->hasFocus());
        QTest::keyClick(update, Qt::Key_Space, Qt::AltModifier);
        QMenu* menu = OpenSystemMenu(dialog);
        ASSERT_NE(menu, nullptr) << "Alt+Space from a push button";
        const QList<QAction*> items = menu->actions();
        ASSERT_FALSE(items.isEmpty());
        EXPECT_EQ(items.back()->text(), QStringLiteral("&About Tarvex2..."));
        menu->hide();
        QTest::qWait(100);
        EXPECT_TRUE(dialog.JobsRun().empty()) << "the button was pressed";
        EXPECT_TRUE(Enabled(dialog, IDC_UPDATE));

        // A right click where no control is: below the status box, left of "Update Progress:".
        QWidget* window = DialogWidget(dialog);
        const QPoint empty(window->width() - 4, 4 + window->height() / 2);
        ASSERT_EQ(window->childAt(empty), nullptr);
        QContextMenuEvent click(QContextMenuEvent::Mouse, empty, window->mapToGlobal(empty));
        QApplication::sendEvent(window, &click);
        menu = OpenSystemMenu(dialog);
        ASSERT_NE(menu, nullptr) << "right click on the empty area";
        menu->hide();
    });
}

TEST_F(MainWindowTest, MessageBoxesShowTheirCaptionWholeAndCannotBeMaximised) {
    TestLoaderDialog dialog;
    dialog.jobBody = [&](TestLoaderDialog& self) { self.MessageBox(L"Error: 5"); };
    ::RunModal(dialog, [&] {
        const Qt::WindowFlags mainFlags = DialogWidget(dialog)->windowFlags();
        EXPECT_FALSE(mainFlags & Qt::WindowMaximizeButtonHint) << "the window's size is fixed";
        EXPECT_TRUE(mainFlags & Qt::WindowMinimizeButtonHint);

        // The box runs its own loop on this thread: a timer looks at it from inside that loop.
        struct Seen {
            QString title, text;
            int width = 0, minimumWidth = 0, captionWidth = 0;
            Qt::WindowFlags flags;
        };
        std::optional<Seen> seen;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible() || seen) return;
            seen = Seen{box->windowTitle(),
                        box->text(),
                        box->width(),
                        tarvex::platform::MessageBoxMinimumWidth(box->windowTitle()),
                        box->fontMetrics().horizontalAdvance(box->windowTitle()),
                        box->windowFlags()};
            box->accept();
        });
        look.start(20);
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return seen.has_value(); }));
        EXPECT_EQ(seen->title, QStringLiteral("Tarvex2"));
        EXPECT_EQ(seen->text, QStringLiteral("Error: 5"));
        EXPECT_GE(seen->width, seen->minimumWidth);
        EXPECT_GE(seen->width, seen->captionWidth + 100);
        EXPECT_FALSE(seen->flags & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
        EXPECT_TRUE(seen->flags & Qt::WindowCloseButtonHint);
        ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_UPDATE); }));
    });
}

}  // namespace main_window_test

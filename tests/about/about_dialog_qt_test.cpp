// The About box and the System Information report as Qt draws them: the links' colours, font and
// tips, the boxes' colours, and each dialog owned by and centred on the window that opens it.
#include "about/about_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QPushButton>
#include <QTextEdit>
#include <QUrl>

#include "about/resource.h"
#include "about/system_info_dialog.h"
#include "app/loader_dialog.h"
#include "app/resource.h"
#include "hosted_about.h"
#include "support/dialog_driver.h"
#include "support/working_directory.h"

namespace {

using tarvex::platform::ControlWidget;
using tarvex::platform::DialogWidget;
using tarvex::platform::SerialPortList;

QColor TextColour(const CDialog& dialog, int id) {
    return ControlWidget(dialog, id)->palette().color(QPalette::WindowText);
}

// Records the links the desktop was asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    // Public: the test reads what was opened.
    QList<QUrl> opened;
  public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};

TEST(AboutDialog, LinkTipsShowTheTargetsWrappedAt120Pixels) {
    ScopedWorkingDirectory workdir;
    HostedAbout about;
    RunModal(about, [&] {
        EXPECT_TRUE(ControlWidget(about, IDC_WEB_LINK)
                        ->toolTip()
                        .contains(QStringLiteral("https://www.morvane.example/")));
        EXPECT_TRUE(ControlWidget(about, IDC_EMAIL_LINK)
                        ->toolTip()
                        .contains(QStringLiteral("mailto:support@morvane.example")));
        EXPECT_TRUE(ControlWidget(about, IDC_EMAIL_LINK)
                        ->toolTip()
                        .contains(QStringLiteral("width=\"120\"")));
    });
}

TEST(AboutDialog, LinksAreBlueUntilOpenedAndPurpleAfter) {
    ScopedWorkingDirectory workdir;
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "Open");
    HostedAbout about;
    RunModal(about, [&] {
        const QColor blue(0, 0, 255);
        const QColor purple(128, 0, 128);
        EXPECT_EQ(TextColour(about, IDC_WEB_LINK), blue);
        EXPECT_EQ(TextColour(about, IDC_EMAIL_LINK), blue);
        EXPECT_TRUE(ControlWidget(about, IDC_WEB_LINK)->font().underline());
        EXPECT_FALSE(ControlWidget(about, IDC_WEB_LINK)->autoFillBackground()) << "no box behind";
        EXPECT_FALSE(ControlWidget(about, IDC_FAX)->font().underline());
        EXPECT_EQ(TextColour(about, IDC_FAX).rgb() & 0xFFFFFF,
                  QApplication::palette().color(QPalette::ButtonText).rgb() & 0xFFFFFF);
        EXPECT_EQ(ControlWidget(about, IDC_LICENSE)->palette().color(QPalette::Base).rgb(),
                  QApplication::palette().color(QPalette::Button).rgb())
            << "the read-only boxes take the dialog's colours";

        QTest::mouseClick(ControlWidget(about, IDC_WEB_LINK), Qt::LeftButton);
        ASSERT_EQ(recorder.opened.size(), 1);
        EXPECT_EQ(recorder.opened[0], QUrl(QStringLiteral("https://www.morvane.example/")));
        EXPECT_EQ(TextColour(about, IDC_WEB_LINK), purple) << "visited, at once";

        // No handler for mail on this platform: the open fails, the link only beeps.
        QTest::mouseClick(ControlWidget(about, IDC_EMAIL_LINK), Qt::LeftButton);
        EXPECT_EQ(TextColour(about, IDC_EMAIL_LINK), blue);
        EXPECT_EQ(recorder.opened.size(), 1);
    });
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    HostedAbout again;
    RunModal(again, [&] {
        EXPECT_EQ(TextColour(again, IDC_WEB_LINK), QColor(0, 0, 255))
            << "a new box starts unvisited";
    });
}

// A dialog owned by `owner`: stacked above it, opened centred on it, with nothing to minimise or
// maximise.
bool OwnedBy(QWidget* dialog, QWidget* owner) {
    const QPoint offset = dialog->geometry().center() - owner->geometry().center();
    return dialog->parentWidget() == owner && dialog->windowType() == Qt::Dialog &&
           !(dialog->windowFlags() &
             (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) &&
           offset.manhattanLength() <= 2;
}

TEST(AboutDialog, OpensFromTheMenuAndTheSystemMenuAndShowsTheReport) {
    ScopedWorkingDirectory workdir;
    LoaderDialog main(nullptr, [] { return SerialPortList(std::vector<std::wstring>{}); });
    RunModal(main, [&] {
        for (int route = 0; route < 2; ++route) {
            QString title;
            QString report;
            bool owned = false;
            QTimer::singleShot(50, [&] {
                QWidget* box = QApplication::activeModalWidget();
                if (box == nullptr) return;
                title = box->windowTitle();
                owned = OwnedBy(box, tarvex::platform::DialogWidget(main));
                // The System button opens the report above the box, owned by it.
                QTimer::singleShot(50, [&, box] {
                    QWidget* system = QApplication::activeModalWidget();
                    if (system != nullptr && system != box) {
                        report = system->windowTitle();
                        owned = owned && OwnedBy(system, box);
                        qobject_cast<QDialog*>(system)->accept();
                    }
                    qobject_cast<QDialog*>(box)->accept();
                });
                for (auto* button : box->findChildren<QPushButton*>()) {
                    if (button->text() == QStringLiteral("System")) button->click();
                }
            });
            if (route == 0) {
                MenuAction(main, ID_ABOUT_ABOUT)->trigger();
            } else {
                main.PostMessage(WM_SYSCOMMAND, IDM_ABOUTBOX);
                QTest::qWait(300);
            }
            EXPECT_EQ(title, QStringLiteral("About Tarvex2 by Morvane")) << "route " << route;
            EXPECT_EQ(report, QStringLiteral("System Information")) << "route " << route;
            EXPECT_TRUE(owned) << "route " << route;
        }
        bool helpOwned = false;
        QTimer::singleShot(50, [&] {
            QWidget* help = QApplication::activeModalWidget();
            helpOwned = help != nullptr && OwnedBy(help, tarvex::platform::DialogWidget(main));
            if (help != nullptr) qobject_cast<QDialog*>(help)->accept();
        });
        MenuAction(main, ID_ABOUT_HELP)->trigger();
        EXPECT_TRUE(helpOwned);
    });
}

TEST(SystemInfoDialog, BoxesTakeTheAboutBoxsColoursAndHaveNoScrollBars) {
    ScopedWorkingDirectory workdir;
    SystemInfoDialog report;
    report.SetColours(RGB(10, 20, 30), RGB(200, 210, 220));
    RunModal(report, [&] {
        auto* box = qobject_cast<QTextEdit*>(ControlWidget(report, IDC_DISK));
        EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(box->palette().color(QPalette::Base), QColor(10, 20, 30));
        EXPECT_EQ(box->palette().color(QPalette::Text), QColor(200, 210, 220));
    });
}

}  // namespace

#include "about_dialog_qt_test.moc"

// The About box, the System Information report and the Help page on the offscreen platform.
#include "about/about_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QUrl>

#include "about/help_dialog.h"
#include "about/resource.h"
#include "about/system_info_dialog.h"
#include "app/loader_dialog.h"
#include "app/resource.h"
#include "support/dialog_driver.h"
#include "support/working_directory.h"

namespace {

using tarvex::platform::ControlWidget;
using tarvex::platform::DialogWidget;
using tarvex::platform::SerialPortList;

class HostedAbout : public AboutDialog {
  public:
    HostedAbout() {
        m_strProductLines = {L"", L"Tarvex2 by Morvane", L"Version 2.0.0", L"", L""};
        m_strCaptionName = L"Tarvex2 by Morvane";
        m_strLicenseFile = L"OrvLicense.txt";
    }
};

std::wstring TextOf(const CDialog& dialog, int id) {
    CWnd* item = dialog.GetDlgItem(id);
    return item != nullptr ? item->GetWindowText() : std::wstring();
}

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

TEST(AboutDialog, ShowsTheMakerTheProductAndTheLicence) {
    ScopedWorkingDirectory workdir;
    const std::vector<std::pair<std::string, std::wstring>> licences = {
        {"one\ntwo\nthree\n", L"one\r\ntwo\r\nthree\r\n\r\n"},
        {"one\r\ntwo\r\nthree", L"one\r\ntwo\r\nthree\r\n\r\n"},
        {"", L"\r\n"},
        {"caf\xE9\n", L"caf\u00E9\r\n\r\n"},
    };
    for (const auto& [file, shown] : licences) {
        workdir.Write("OrvLicense.txt", file);
        HostedAbout about;
        RunModal(about, [&] {
            EXPECT_EQ(TextOf(about, IDC_LICENSE), shown);
            EXPECT_EQ(DialogWidget(about)->windowTitle(),
                      QStringLiteral("About Tarvex2 by Morvane"));
        });
    }
    std::filesystem::remove(workdir.path() / "OrvLicense.txt");
    HostedAbout about;
    RunModal(about, [&] {
        EXPECT_EQ(TextOf(about, IDC_LICENSE), L"") << "a missing licence: empty, no message";
        EXPECT_EQ(TextOf(about, IDC_COMPANY), about.m_strCompany + L"\r\n" + about.m_strStreet +
                                                  L"\r\n" + about.m_strPostOfficeBox + L"\r\n" +
                                                  about.m_strCity);
        EXPECT_EQ(TextOf(about, IDC_PRODUCT), L"\r\nTarvex2 by Morvane\r\nVersion 2.0.0\r\n\r\n");
        EXPECT_EQ(TextOf(about, IDC_WEB_LINK), L"Web Site: " + about.m_strWebAddress);
        EXPECT_EQ(TextOf(about, IDC_EMAIL_LINK), about.m_strEmail);
        EXPECT_EQ(TextOf(about, IDC_PHONE), L"Phone: " + about.m_strPhone);
        EXPECT_EQ(TextOf(about, IDC_FAX), L"Fax: " + about.m_strFax);
        EXPECT_TRUE(about.m_strEmail.ends_with(L".example"));
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

TEST(SystemInfoDialog, FillsItsThreeBoxesFromThisComputer) {
    ScopedWorkingDirectory workdir;
    SystemInfoDialog report;
    report.SetColours(RGB(10, 20, 30), RGB(200, 210, 220));
    RunModal(report, [&] {
        const std::wstring overview = TextOf(report, IDC_OVERVIEW);
        EXPECT_TRUE(overview.starts_with(L"User: ")) << testing::PrintToString(overview);
        EXPECT_NE(overview.find(L"\r\nProtocols Installed:\r\n"), std::wstring::npos);
        EXPECT_TRUE(TextOf(report, IDC_DISK).starts_with(L"\tDisk Space:\r\n\r\n"));
        EXPECT_TRUE(TextOf(report, IDC_MEMORY).starts_with(L"\tRAM Status:\r\n\r\n"));
        auto* box = qobject_cast<QTextEdit*>(ControlWidget(report, IDC_DISK));
        EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(box->palette().color(QPalette::Base), QColor(10, 20, 30));
        EXPECT_EQ(box->palette().color(QPalette::Text), QColor(200, 210, 220));
    });
}

TEST(HelpDialog, ShowsTheFourInstructionsEachTime) {
    for (int showing = 0; showing < 2; ++showing) {
        HelpDialog help;
        const INT_PTR result = RunModal(help, [&] {
            QStringList texts;
            for (auto* label : DialogWidget(help)->findChildren<QLabel*>()) texts << label->text();
            EXPECT_TRUE(texts.contains(QStringLiteral("Tarvex2 Instructions")));
            EXPECT_TRUE(texts.contains(QStringLiteral(
                "Select \"Update\" from the \"Console\" menu or click on the \"Update\" button on "
                "the screen.  The Tarvex program will guide you through the programming "
                "procedure.")));
            EXPECT_EQ(texts.size(), 9);
            EXPECT_EQ(DialogWidget(help)->windowTitle(), QStringLiteral("Tarvex2 Help"));
            QTest::keyClick(DialogWidget(help), Qt::Key_Escape);
        });
        EXPECT_EQ(result, IDCANCEL);
    }
}

}  // namespace

#include "about_dialog_test.moc"

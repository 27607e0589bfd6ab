// File > Hex Files > Download Latest Hex Files... in the real main window, against a real FTP
// server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QRadioButton>

#include "app/loader_dialog.h"
#include "app/resource.h"
#include "platform/ui/control_watch.h"
#include "support/dialog_driver.h"
#include "support/ftp_server.h"
#include "support/recording_message_box.h"
#include "support/working_directory.h"

using tarvex::platform::SerialPortList;

namespace {

using tarvex::platform::ControlWidget;

TEST(DownloadCommand, FetchesIntoTheWorkingDirectoryAndOffersWhatCame) {
    TempDir serverRoot;
    const auto timer = MakeTimerDirectory(serverRoot.path());
    std::ofstream(timer / "Quorlex2000.hex") << ":00000001FF\n";
    std::ofstream(timer / "OvalTrack.hex") << ":00000001FF\n";
    FtpServer ftp(serverRoot.path());
    ScopedWorkingDirectory workdir;  // no firmware files yet
    RecordingMessageBox boxes;

    LoaderDialog dialog(nullptr, [] { return SerialPortList(std::vector<std::wstring>{}); });
    dialog.UseDownloadServer(
        {.host = L"127.0.0.1", .port = static_cast<INTERNET_PORT>(ftp.port()), .timeouts = {}});
    std::vector<int> positions;
    RunModal(dialog, [&] {
        tarvex::platform::WatchProgressBar(dialog, IDC_PROGRESS,
                                           [&](int value) { positions.push_back(value); });
        EXPECT_FALSE(ControlWidget(dialog, IDC_RADIO_POOLSIDE)->isEnabled());
        MenuAction(dialog, ID_FILE_DOWNLOAD)->trigger();
        EXPECT_EQ(qobject_cast<QLabel*>(ControlWidget(dialog, IDC_STATUS))->text(),
                  QStringLiteral("Ready."));
        CProgressCtrl bar;
        bar.Attach(dialog.ControlWindow(IDC_PROGRESS));
        int lower = 0;
        int upper = 0;
        bar.GetRange(lower, upper);
        EXPECT_EQ(upper, 6);
        EXPECT_TRUE(ControlWidget(dialog, IDC_RADIO_POOLSIDE)->isEnabled());
        EXPECT_FALSE(ControlWidget(dialog, IDC_RADIO_ARENA)->isEnabled()) << "not on the server";
        EXPECT_TRUE(ControlWidget(dialog, IDC_RADIO_OVAL_TRACK)->isEnabled());
    });
    EXPECT_EQ(positions, (std::vector<int>{1, 3, 5, 0}));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              L"An error occurred while attempting to download the hex file 'Arena2000.hex'.  "
              L"Please verify that your Internet connection is working properly.");
    EXPECT_EQ(boxes.Boxes()[0].style, MB_OK | MB_ICONHAND);
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Tarvex2");
    EXPECT_TRUE(std::filesystem::exists(workdir.path() / "Quorlex2000.hex"));
}

// A slow file: the window shows the wait cursor and keeps painting, input waits, and a close
// asked for meanwhile ends the download at once (the file in flight dropped, the one fetched
// kept, no further file asked for) and is carried out once the download has returned.
TEST(DownloadCommand, TheWindowKeepsPaintingWhileAFileTricklesIn) {
    TempDir serverRoot;
    const auto timer = MakeTimerDirectory(serverRoot.path());
    for (const char* name : {"Quorlex2000.hex", "Arena2000.hex", "OvalTrack.hex"}) {
        std::ofstream(timer / name) << std::string(1000, 'x');
    }
    FtpServer ftp(serverRoot.path(), {"--trickle", "Arena2000.hex:400"});  // 2.5 s
    ScopedWorkingDirectory workdir;
    RecordingMessageBox boxes;

    struct ClosingDialog : LoaderDialog {
        using LoaderDialog::LoaderDialog;
        void OnClose() override {
            ++closes;
            LoaderDialog::OnClose();
        }
        int closes = 0;  // public: read by the test
    } dialog(nullptr, [] { return SerialPortList(std::vector<std::wstring>{}); });
    dialog.UseDownloadServer(
        {.host = L"127.0.0.1", .port = static_cast<INTERNET_PORT>(ftp.port()), .timeouts = {}});
    int paints = 0;
    int closesDuringDownload = -1;
    bool busyCursor = false;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& counted) : count(counted) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++count;
            return false;
        }
    } counter(paints);
    RunModal(dialog, [&] {
        QWidget* status = ControlWidget(dialog, IDC_STATUS);
        QTimer::singleShot(1000, [&] {
            // In the middle of the slow file, on the window thread.
            busyCursor = QApplication::overrideCursor() != nullptr &&
                         QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            status->installEventFilter(&counter);
            status->update();
            QTimer::singleShot(200, [&] {
                status->removeEventFilter(&counter);
                tarvex::platform::DialogWidget(dialog)->close();
                closesDuringDownload = dialog.closes;
            });
        });
        MenuAction(dialog, ID_FILE_DOWNLOAD)->trigger();
        EXPECT_EQ(qobject_cast<QLabel*>(status)->text().toStdWString(),
                  L"Downloading file 2 of 3: \"Arena2000.hex\"");
        EXPECT_TRUE(std::filesystem::exists(workdir.path() / "Quorlex2000.hex"));
        EXPECT_FALSE(std::filesystem::exists(workdir.path() / "Arena2000.hex"));
        EXPECT_FALSE(std::filesystem::exists(workdir.path() / "OvalTrack.hex"));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the cursor is back";
        WaitUntil([&] { return dialog.closes > 0; }, 2000);
    });
    EXPECT_TRUE(busyCursor);
    EXPECT_GT(paints, 0) << "the status line was painted during the download";
    EXPECT_EQ(closesDuringDownload, 0) << "the close waited for the download";
    EXPECT_EQ(dialog.closes, 1);
    EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace

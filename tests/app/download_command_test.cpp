// File > Hex Files > Download Latest Hex Files... in the real main window, against a real FTP
// server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>

#include "app/loader_dialog.h"
#include "app/resource.h"
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
        auto* bar = qobject_cast<QProgressBar*>(ControlWidget(dialog, IDC_PROGRESS));
        QObject::connect(bar, &QProgressBar::valueChanged,
                         [&](int value) { positions.push_back(value); });
        EXPECT_FALSE(ControlWidget(dialog, IDC_RADIO_POOLSIDE)->isEnabled());
        MenuAction(dialog, ID_FILE_DOWNLOAD)->trigger();
        EXPECT_EQ(qobject_cast<QLabel*>(ControlWidget(dialog, IDC_STATUS))->text(),
                  QStringLiteral("Ready."));
        EXPECT_EQ(bar->maximum(), 6);
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

}  // namespace

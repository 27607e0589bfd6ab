// The main window's close on Linux when the disk fills up in the middle of the settings file
// (the file-size limit stands in for a full disk).
#include <sys/resource.h>

#include <csignal>

#include "app/startup_and_close_fixture.h"

namespace {

using drive::Choose;
using drive::Click;
using drive::RunModal;
using drive::WaitUntil;
using startup_test::SettingsBytes;
using startup_test::StartUpAndCloseTest;
using startup_test::Window;

TEST_F(StartUpAndCloseTest, FailedSaveNamesTheFileAndKeepsTheOldOne) {
    const std::string old = SettingsBytes({1, L"/srv/kept.hex", 0});
    workdir.Write("Tarvex2.cfg", old);
    signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    Window window;
    RunModal(window, [&] {
        Click(window, IDC_RADIO_OTHER_QX2000);
        rlimit small = previous;
        small.rlim_cur = 10;  // a disk that fills up in the middle of the file
        setrlimit(RLIMIT_FSIZE, &small);
        Choose(window, ID_FILE_EXIT);
        WaitUntil([&] { return !window.IsWindowVisible(); });
        setrlimit(RLIMIT_FSIZE, &previous);
    });
    setrlimit(RLIMIT_FSIZE, &previous);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"Disk full while accessing Tarvex2.cfg.");
    EXPECT_EQ(Saved(), old) << "never a damaged or empty settings file";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(workdir.path()), {}), 5);
}

}  // namespace

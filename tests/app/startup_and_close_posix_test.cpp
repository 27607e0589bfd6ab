// The main window on Linux when the disk fills up in the middle of the settings file (the
// file-size limit stands in for a full disk), and when its working folder is removed, which
// Linux allows.
#include <sys/resource.h>

#include <csignal>

#include "app/startup_and_close_fixture.h"
#include "platform/text.h"

namespace {

using drive::Choose;
using drive::Click;
using drive::RunModal;
using drive::WaitUntil;
using startup_test::Checked;
using startup_test::Enabled;
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

// The working folder removed and made again while the window is open (a script that empties it
// so): the window follows the folder by its name and offers what is copied into the new one;
// the settings are saved there. Removed for good, the close says the settings could not be
// saved instead of losing them without a word.
TEST_F(StartUpAndCloseTest, AWorkingFolderMadeAgainIsFollowedAndAFailedSaveIsSaid) {
    Window window;
    RunModal(window, [&] {
        Click(window, IDC_RADIO_ARENA);
        std::filesystem::remove_all(workdir.path());
        std::filesystem::create_directory(workdir.path());
        EXPECT_TRUE(WaitUntil([&] { return !Enabled(window, IDC_RADIO_POOLSIDE); }, 5000));
        workdir.WriteBuiltInFirmware();
        EXPECT_TRUE(WaitUntil([&] { return Enabled(window, IDC_RADIO_POOLSIDE); }, 5000))
            << "the files copied into the folder made again are offered";
        EXPECT_TRUE(Checked(window, IDC_RADIO_ARENA));
        Choose(window, ID_FILE_EXIT);
        WaitUntil([&] { return !window.IsWindowVisible(); });
    });
    EXPECT_EQ(Saved(), SettingsBytes({1, L"", 0})) << "saved in the folder made again";
    EXPECT_TRUE(boxes.Boxes().empty());

    Window second;
    RunModal(second, [&] {
        std::filesystem::remove_all(workdir.path());
        Choose(second, ID_FILE_EXIT);
        WaitUntil([&] { return !second.IsWindowVisible(); });
    });
    std::filesystem::create_directory(workdir.path());  // for the fixture to remove
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find(L"Tarvex2.cfg"), std::wstring::npos)
        << tarvex::platform::ToUtf8(boxes.Boxes()[0].text);
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Tarvex2");
}

}  // namespace

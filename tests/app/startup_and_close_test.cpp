// The main window's start-up and close with the files of its working directory: the settings
// file "Tarvex2.cfg" and the built-in firmware files with the field-update file's label. On both
// window systems.
#include "app/startup_and_close_fixture.h"

#include "platform/files/exclusive_file.h"
#include "platform/ui/user_input.h"

namespace {

using drive::Choose;
using drive::Click;
using drive::RunModal;
using drive::Settle;
using drive::WaitUntil;
using startup_test::Checked;
using startup_test::Enabled;
using startup_test::SettingsBytes;
using startup_test::StartUpAndCloseTest;
using startup_test::Text;
using startup_test::Window;

TEST_F(StartUpAndCloseTest, SavedChoicesComeBackAtStartUp) {
    for (int type : {4, 5}) {
        workdir.Write("Tarvex2.cfg", SettingsBytes({type, L"/srv/firmware/image", 2}));
        Window window;
        RunModal(window, [&] {
            EXPECT_TRUE(
                Checked(window, type == 4 ? IDC_RADIO_OTHER_QX2000 : IDC_RADIO_OTHER_TY5500));
            EXPECT_TRUE(Enabled(window, IDC_CUSTOM_FILE));
            EXPECT_TRUE(Enabled(window, IDC_BROWSE));
            EXPECT_EQ(Text(window, IDC_CUSTOM_FILE), L"/srv/firmware/image");
            EXPECT_EQ(window.GetSelectedPortName(), L"COM3");
        });
    }
    workdir.Write("Tarvex2.cfg", SettingsBytes({1, L"/srv/x.hex", 0}));
    Window window;
    RunModal(window, [&] {
        EXPECT_TRUE(Checked(window, IDC_RADIO_ARENA));
        EXPECT_FALSE(Enabled(window, IDC_CUSTOM_FILE));
        EXPECT_FALSE(Enabled(window, IDC_BROWSE));
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

// A saved port past the list (an adapter gone since): opening the Communications menu, however
// often, checks nothing by itself, and the saved position stays until the technician picks one.
TEST_F(StartUpAndCloseTest, OpeningThePortMenuChecksNoPortTheTechnicianDidNotPick) {
    workdir.Write("Tarvex2.cfg", SettingsBytes({0, L"", 7}));
    {
        Window window;
        RunModal(window, [&] {
            for (int opening = 0; opening < 2; ++opening) {
                drive::OpenMenu(window, 2);
                EXPECT_EQ(window.GetSelectedPortName(), L"") << "opening " << opening;
                for (UINT id : {500u, 501u, 502u})
                    EXPECT_EQ(window.GetMenu().GetMenuState(id, MF_BYCOMMAND), MF_UNCHECKED);
            }
            Choose(window, ID_FILE_EXIT);
            WaitUntil([&] { return !window.IsWindowVisible(); });
        });
    }
    EXPECT_EQ(Saved(), SettingsBytes({0, L"", 7}));
    Window window;
    RunModal(window, [&] {
        drive::OpenMenu(window, 2);
        Choose(window, 501);
        drive::OpenMenu(window, 2);
        EXPECT_EQ(window.GetSelectedPortName(), L"COM2");
        Choose(window, ID_FILE_EXIT);
        WaitUntil([&] { return !window.IsWindowVisible(); });
    });
    EXPECT_EQ(Saved(), SettingsBytes({0, L"", 1}));
}

TEST_F(StartUpAndCloseTest, ClosingSavesWhatTheWindowShowsAndEnterOrEscapeSaveNothing) {
    {
        Window window;
        RunModal(window, [&] {
            tarvex::platform::PressKey(VK_ESCAPE);
            WaitUntil([&] { return !window.IsWindowVisible(); });
        });
        Window second;
        RunModal(second, [&] {
            tarvex::platform::SetFocus(*second.GetDlgItem(IDC_RADIO_ARENA));
            tarvex::platform::PressKey(VK_RETURN);
            WaitUntil([&] { return !second.IsWindowVisible(); });
        });
        EXPECT_FALSE(SettingsExist()) << "Enter and Esc skip the close sequence";
    }
    Window window;
    RunModal(window, [&] {
        Click(window, IDC_RADIO_OTHER_TY5500);
        window.GetDlgItem(IDC_CUSTOM_FILE)->SetWindowText(L"C:\\fw\\Pool.hex");
        Choose(window, 501);
        Click(window, IDC_RADIO_OVAL_TRACK);  // checked at the close, Update never pressed
        Choose(window, ID_FILE_EXIT);
        WaitUntil([&] { return !window.IsWindowVisible(); });
    });
    EXPECT_EQ(Saved(), SettingsBytes({2, L"C:\\fw\\Pool.hex", 1}));
    EXPECT_EQ(Saved().size(), 44u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(workdir.path()), {}), 5)
        << "the firmware files and Tarvex2.cfg, nothing else";
}

TEST_F(StartUpAndCloseTest, DamagedSettingsAreReportedAndTheDefaultsApply) {
    const std::vector<std::pair<std::string, std::wstring>> cases = {
        {"", L"An attempt was made to access an unnamed file past its end."},
        {SettingsBytes({5, L"/srv/fw.fud", 2}).substr(0, 30),
         L"An attempt was made to access an unnamed file past its end."},
        {SettingsBytes({5, L"", 2}).substr(0, 8) +
             std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\0\0\0\x80\0\0\0\0", 15),
         L"An unknown error occurred while accessing an unnamed file."},
    };
    for (const auto& [bytes, message] : cases) {
        workdir.Write("Tarvex2.cfg", bytes);
        RecordingMessageBox caseBoxes;
        Window window;
        RunModal(window, [&] {
            EXPECT_TRUE(Checked(window, IDC_RADIO_POOLSIDE));
            EXPECT_FALSE(Enabled(window, IDC_CUSTOM_FILE));
            EXPECT_EQ(window.GetSelectedPortName(), L"COM1");
            EXPECT_TRUE(Text(window, IDC_CUSTOM_FILE).empty());
        });
        ASSERT_EQ(caseBoxes.Boxes().size(), 1u);
        EXPECT_EQ(caseBoxes.Boxes()[0].text, message);
        EXPECT_EQ(caseBoxes.Boxes()[0].caption, L"Tarvex2");
    }
    workdir.Write("Tarvex2.cfg", std::string("\x02\0\0\0\x05\0\0\0", 8));
    RecordingMessageBox versionBoxes;
    Window window;
    RunModal(window, [&] { EXPECT_TRUE(Checked(window, IDC_RADIO_POOLSIDE)); });
    EXPECT_TRUE(versionBoxes.Boxes().empty()) << "another version is no damage";
}

TEST_F(StartUpAndCloseTest, MissingBuiltInFilesMoveTheChoiceToTheCustomOne) {
    for (const char* name :
         {"Quorlex2000.hex", "Arena2000.hex", "OvalTrack.hex", "ED-40517_Veziv16.fud"})
        std::filesystem::remove(workdir.path() / name);
    workdir.Write("Tarvex2.cfg", SettingsBytes({2, L"", 0}));
    {
        Window window;
        RunModal(window, [&] {
            for (int id :
                 {IDC_RADIO_POOLSIDE, IDC_RADIO_ARENA, IDC_RADIO_OVAL_TRACK, IDC_RADIO_HUEVANE}) {
                EXPECT_FALSE(Enabled(window, id)) << id;
                EXPECT_FALSE(Checked(window, id)) << id;
            }
            EXPECT_EQ(window.m_nSetupType, 4);
            EXPECT_TRUE(Checked(window, IDC_RADIO_OTHER_QX2000));
            EXPECT_TRUE(Enabled(window, IDC_CUSTOM_FILE)) << "step 12 runs after the move";
            EXPECT_EQ(Text(window, IDC_RADIO_HUEVANE), L"Huevane")
                << "a missing file's label stays";
        });
    }
    workdir.WriteBuiltInFirmware();
    std::filesystem::remove(workdir.path() / "ED-40517_Veziv16.fud");
    workdir.Write("Tarvex2.cfg", SettingsBytes({3, L"", 0}));
    Window window;
    RunModal(window, [&] {
        EXPECT_EQ(window.m_nSetupType, 5);
        EXPECT_TRUE(Checked(window, IDC_RADIO_OTHER_TY5500));
        EXPECT_FALSE(Enabled(window, IDC_RADIO_HUEVANE));
        for (int id : {IDC_RADIO_POOLSIDE, IDC_RADIO_ARENA, IDC_RADIO_OVAL_TRACK})
            EXPECT_TRUE(Enabled(window, id)) << id;
    });
}

TEST_F(StartUpAndCloseTest, FieldUpdateChoiceShowsTheFilesVersionOrWhyNot) {
    {
        workdir.Write("ED-40517_Veziv16.fud", "E000000-0016 header");
        Window window;
        RunModal(window, [&] {
            EXPECT_EQ(Text(window, IDC_RADIO_HUEVANE), L"Huevane: ED- ver 16");
            window.RefreshFirmwareChoices();
            EXPECT_EQ(Text(window, IDC_RADIO_HUEVANE), L"Huevane: ED- ver 16")
                << "stamping twice is stamping once";
        });
    }
    {
        // Held open by another program: found, but it cannot be opened.
        tarvex::platform::ExclusiveFile other;
        ASSERT_TRUE(other.Open((workdir.path() / "ED-40517_Veziv16.fud").wstring()));
        Window window;
        RunModal(window, [&] {
            EXPECT_EQ(Text(window, IDC_RADIO_HUEVANE), L"Huevane: [error opening file]");
            EXPECT_TRUE(Enabled(window, IDC_RADIO_HUEVANE));
            other.Close();
            window.RefreshFirmwareChoices();
            EXPECT_EQ(Text(window, IDC_RADIO_HUEVANE), L"Huevane: ED- ver 16");
        });
    }
    std::filesystem::remove(workdir.path() / "ED-40517_Veziv16.fud");
    std::filesystem::create_directory(workdir.path() / "ED-40517_Veziv16.fud");
    Window window;
    RunModal(window, [&] {
        EXPECT_EQ(Text(window, IDC_RADIO_HUEVANE), L"Huevane: [error opening file]");
        EXPECT_TRUE(Enabled(window, IDC_RADIO_HUEVANE)) << "a directory with the name is found";
    });
}

// Files copied into the working folder (or taken from it) while the program runs are offered
// (or withdrawn) as at start-up, without a restart.
TEST_F(StartUpAndCloseTest, FirmwareFilesCopiedInWhileTheWindowIsOpenAreOfferedAtOnce) {
    for (const char* name :
         {"Quorlex2000.hex", "Arena2000.hex", "OvalTrack.hex", "ED-40517_Veziv16.fud"})
        std::filesystem::remove(workdir.path() / name);
    Window window;
    RunModal(window, [&] {
        EXPECT_FALSE(Enabled(window, IDC_RADIO_POOLSIDE));
        EXPECT_FALSE(Enabled(window, IDC_RADIO_HUEVANE));
        workdir.WriteBuiltInFirmware();
        EXPECT_TRUE(WaitUntil([&] { return Enabled(window, IDC_RADIO_HUEVANE); }, 3000));
        for (int id : {IDC_RADIO_POOLSIDE, IDC_RADIO_ARENA, IDC_RADIO_OVAL_TRACK})
            EXPECT_TRUE(Enabled(window, id)) << id;
        EXPECT_EQ(Text(window, IDC_RADIO_HUEVANE), L"Huevane: ED-40517 ver 16");

        // A new version of the field-update file: its label follows.
        workdir.Write("ED-40517_Veziv16.fud", "E040517-0017 Tessary 5500 sign firmware");
        EXPECT_TRUE(WaitUntil(
            [&] { return Text(window, IDC_RADIO_HUEVANE) == L"Huevane: ED-40517 ver 17"; }, 3000));

        // The chosen file taken away for a moment (an editor's save) and for good: the
        // technician's choice never moves by itself (Update then says the file is missing);
        // another file taken away is withdrawn once the folder has been quiet.
        Click(window, IDC_RADIO_ARENA);
        const std::string arena = Saved("Arena2000.hex");
        std::filesystem::remove(workdir.path() / "Arena2000.hex");
        Settle(200);
        workdir.Write("Arena2000.hex", arena);
        std::filesystem::remove(workdir.path() / "OvalTrack.hex");
        EXPECT_TRUE(WaitUntil([&] { return !Enabled(window, IDC_RADIO_OVAL_TRACK); }, 5000));
        std::filesystem::remove(workdir.path() / "Arena2000.hex");
        std::filesystem::remove(workdir.path() / "Quorlex2000.hex");
        EXPECT_TRUE(WaitUntil([&] { return !Enabled(window, IDC_RADIO_POOLSIDE); }, 5000));
        EXPECT_TRUE(Checked(window, IDC_RADIO_ARENA));
        EXPECT_TRUE(Enabled(window, IDC_RADIO_ARENA));
        EXPECT_FALSE(Enabled(window, IDC_CUSTOM_FILE));
        window.UpdateData(TRUE);
        EXPECT_EQ(window.m_nSetupType, 1);
    });
}

}  // namespace

// The main window, driven as a technician would drive it, on both window systems.
#include "app/main_window_fixture.h"

#include "app/minimised_icon.h"

namespace main_window_test {

using tarvex::platform::kMenuItemNotFound;

TEST_F(MainWindowTest, StartsReadyWithTheFirstBuiltInTypeAndTheFirstPort) {
    TestLoaderDialog dialog;
    RunModal(dialog, [&] {
        EXPECT_TRUE(Checked(dialog, IDC_RADIO_POOLSIDE));
        EXPECT_FALSE(Enabled(dialog, IDC_CUSTOM_FILE));
        EXPECT_FALSE(Enabled(dialog, IDC_BROWSE));
        EXPECT_TRUE(Enabled(dialog, IDC_UPDATE));
        EXPECT_EQ(StatusText(dialog), L"Configure Communications Settings and Setup Type.");
        EXPECT_EQ(dialog.GetWindowText(), L"Tarvex2");
        EXPECT_NE(dialog.GetIcon(TRUE), nullptr);
        // A window of its own: minimise and maximise boxes (a window manager offers none to
        // maximise a window of fixed size), and its icon while dragged minimised.
        EXPECT_TRUE(dialog.GetStyle() & WS_MINIMIZEBOX);
#ifdef _WIN32
        EXPECT_TRUE(dialog.GetStyle() & WS_MAXIMIZEBOX);
#endif
        EXPECT_EQ(reinterpret_cast<HICON>(dialog.SendMessage(WM_QUERYDRAGICON)),
                  dialog.GetIcon(TRUE));

        CMenu ports = dialog.GetMenu().GetSubMenu(2);
        ASSERT_EQ(ports.GetMenuItemCount(), 2);
        EXPECT_EQ(ports.GetMenuState(0, MF_BYPOSITION), MF_CHECKED);
        EXPECT_EQ(dialog.GetSelectedPortName(), L"/dev/ttyS0");

        // The system's own items (Close at the least), a separator and the About item.
        CMenu systemMenu = dialog.GetSystemMenu(FALSE);
        const int count = systemMenu.GetMenuItemCount();
        ASSERT_GE(count, 3);
        EXPECT_NE(systemMenu.GetMenuState(SC_CLOSE, MF_BYCOMMAND), kMenuItemNotFound);
        EXPECT_TRUE(systemMenu.GetMenuState(count - 2, MF_BYPOSITION) & MF_SEPARATOR);
        EXPECT_EQ(systemMenu.GetMenuItemID(count - 1), IDM_ABOUTBOX);
        std::wstring text;
        systemMenu.GetMenuString(count - 1, text, MF_BYPOSITION);
        EXPECT_EQ(text, L"&About Tarvex2...");
    });
}

TEST(MinimisedIcon, CentredWithHalvesRoundedTowardZero) {
    using tarvex::app::MinimisedIconOrigin;
    EXPECT_EQ(MinimisedIconOrigin(160, 37, 32, 32).x, 64);
    EXPECT_EQ(MinimisedIconOrigin(160, 37, 32, 32).y, 3);
    // Narrower than the icon: (0 - 32 + 1) / 2 is -15, where a floor would give -16.
    EXPECT_EQ(MinimisedIconOrigin(0, 0, 32, 32).x, -15);
    EXPECT_EQ(MinimisedIconOrigin(1, 2, 32, 32).y, -14);
}

TEST_F(MainWindowTest, UpdateDisablesTheControlsAndRunsTheJobOfTheSetupType) {
    const std::vector<std::pair<int, const wchar_t*>> cases = {
        {IDC_RADIO_POOLSIDE, L"console"},     {IDC_RADIO_ARENA, L"console"},
        {IDC_RADIO_OVAL_TRACK, L"console"},   {IDC_RADIO_HUEVANE, L"sign"},
        {IDC_RADIO_OTHER_QX2000, L"console"}, {IDC_RADIO_OTHER_TY5500, L"sign"},
    };
    TestLoaderDialog dialog;
    TestEvent release;
    TestEvent inJob;
    dialog.jobBody = BlockUntil(inJob, release);
    RunModal(dialog, [&] {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            Click(dialog, cases[i].first);
            Click(dialog, IDC_UPDATE);
            ASSERT_TRUE(WaitUntil([&] { return inJob.WaitFor(0); }));
            EXPECT_FALSE(Enabled(dialog, IDC_UPDATE));
            EXPECT_EQ(MenuState(dialog, ID_CONSOLE_UPDATE), MF_GRAYED);
            EXPECT_EQ(MenuState(dialog, 500), MF_CHECKED | MF_GRAYED);
            EXPECT_EQ(MenuState(dialog, 501), MF_GRAYED);
            EXPECT_TRUE(Enabled(dialog, IDC_RADIO_ARENA)) << "the choices stay usable";
            Choose(dialog, ID_CONSOLE_UPDATE);  // grayed: nothing happens
            release.Set();
            // The job enables the button, then Console > Update, then the ports.
            ASSERT_TRUE(WaitUntil([&] { return MenuState(dialog, 501) == MF_UNCHECKED; }));
            EXPECT_TRUE(Enabled(dialog, IDC_UPDATE));
            EXPECT_EQ(MenuState(dialog, ID_CONSOLE_UPDATE), MF_ENABLED);
            ASSERT_EQ(dialog.JobsRun().size(), i + 1);
            EXPECT_EQ(dialog.JobsRun().back(), cases[i].second) << "radio " << cases[i].first;
            EXPECT_EQ(dialog.m_nSetupType, static_cast<int>(i));
        }
    });
}

TEST_F(MainWindowTest, ConsoleUpdateMenuCommandStartsTheSameJob) {
    TestLoaderDialog dialog;
    RunModal(dialog, [&] {
        Choose(dialog, ID_CONSOLE_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return !dialog.JobsRun().empty(); }));
        EXPECT_EQ(dialog.JobsRun().front(), L"console");
        ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_UPDATE); }));
    });
}

TEST_F(MainWindowTest, UpdateWithNoSetupTypeStartsNoJobAndSaysSo) {
    TestLoaderDialog dialog;
    RunModal(dialog, [&] {
        dialog.m_nSetupType = -1;
        dialog.UpdateData(FALSE);
        Click(dialog, IDC_UPDATE);
        Settle(100);
        EXPECT_TRUE(dialog.JobsRun().empty());
        EXPECT_EQ(StatusText(dialog), L"Choose a Setup Type, then press Update.");
        EXPECT_TRUE(Enabled(dialog, IDC_UPDATE));
        EXPECT_EQ(MenuState(dialog, ID_CONSOLE_UPDATE), MF_ENABLED);
        EXPECT_EQ(MenuState(dialog, 501), MF_UNCHECKED);
    });
}

TEST_F(MainWindowTest, CustomTypesEnableTheFileChoiceAndKeepItsText) {
    TestLoaderDialog dialog;
    RunModal(dialog, [&] {
        Click(dialog, IDC_RADIO_OTHER_QX2000);
        EXPECT_TRUE(Enabled(dialog, IDC_CUSTOM_FILE));
        EXPECT_TRUE(Enabled(dialog, IDC_BROWSE));
        dialog.GetDlgItem(IDC_CUSTOM_FILE)->SetWindowText(L"/srv/fw.hex");
        Click(dialog, IDC_RADIO_HUEVANE);
        EXPECT_FALSE(Enabled(dialog, IDC_CUSTOM_FILE));
        EXPECT_FALSE(Enabled(dialog, IDC_BROWSE));
        Click(dialog, IDC_RADIO_OTHER_TY5500);
        dialog.UpdateData(TRUE);
        EXPECT_EQ(dialog.m_strCustomFile, L"/srv/fw.hex");
        EXPECT_EQ(dialog.FirmwarePathFor(dialog.m_nSetupType), L"/srv/fw.hex");
    });
}

TEST_F(MainWindowTest, TimerStepsTheBarOnlyWhileAskedAndNeverPastItsEnd) {
    TestLoaderDialog dialog;
    RunModal(dialog, [&] {
        dialog.BeginConsoleProgress(1'000'000);
        int lower = -1;
        int upper = -1;
        dialog.m_progress.GetRange(lower, upper);
        EXPECT_EQ(upper, 207);
        dialog.OnTimer(1);
        EXPECT_EQ(dialog.m_progress.GetPos(), 0) << "not stepping while the flag is clear";

        dialog.m_bStepProgress = 1;
        dialog.OnTimer(1);
        EXPECT_EQ(dialog.m_progress.GetPos(), 1);
        dialog.OnTimer(2);
        EXPECT_EQ(dialog.m_progress.GetPos(), 1) << "only timer 1 steps";
        dialog.m_progress.SetPos(206);
        dialog.OnTimer(1);
        dialog.OnTimer(1);
        EXPECT_EQ(dialog.m_progress.GetPos(), 207) << "stops at its maximum, no wrap";
        ASSERT_TRUE(WaitUntil([&] { return dialog.m_progress.GetPos() == 207; }));

        dialog.BeginConsoleProgress(14'399);  // too short for a whole unit: maximum 0
        dialog.m_progress.GetRange(lower, upper);
        EXPECT_EQ(upper, 0);
        Settle(600);  // a real tick of the 500 ms timer
        EXPECT_EQ(dialog.m_progress.GetPos(), 0);

        dialog.BeginConsoleProgress(400'000'000);  // 83331 units, kept as 16 bits
        dialog.m_progress.GetRange(lower, upper);
        EXPECT_EQ(upper, 83331 - 65536);
        dialog.BeginSignProgress(2500);
        dialog.m_progress.GetRange(lower, upper);
        EXPECT_EQ(std::make_pair(lower, upper), std::make_pair(0, 2500));
        EXPECT_EQ(dialog.m_progress.GetPos(), 0);
    });
}

}  // namespace main_window_test

namespace main_window_test {

// Six hundred ports: the items past the 256th have no command, so none of them can stand in for
// Update (item 505 had id 1004) or the browse button (item 508 had id 1007); they are grayed.
TEST_F(MainWindowTest, PortItemsPast256thCannotStartAnything) {
    std::vector<std::wstring> ports;
    for (int i = 0; i < 600; ++i) ports.push_back(L"/dev/ttyV" + std::to_wstring(i));
    TestLoaderDialog dialog(ports);
    RecordingMessageBox boxes;
    RunModal(dialog, [&] {
        CMenu items = dialog.GetMenu().GetSubMenu(2);
        ASSERT_EQ(items.GetMenuItemCount(), 600);
        EXPECT_EQ(items.GetMenuItemID(255), 755u);
        for (int position : {256, 504, 507, 599}) {
            EXPECT_TRUE(items.GetMenuState(static_cast<UINT>(position), MF_BYPOSITION) & MF_GRAYED)
                << position;
            const UINT id = items.GetMenuItemID(position);
            EXPECT_FALSE(id >= 500 && id <= 755) << position << " stands for port command " << id;
            EXPECT_NE(id, static_cast<UINT>(IDC_UPDATE));
            EXPECT_NE(id, static_cast<UINT>(IDC_BROWSE));
            Choose(dialog, id);
        }
        Settle(100);
        EXPECT_TRUE(dialog.JobsRun().empty());
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_EQ(dialog.GetSelectedPortName(), L"/dev/ttyV0");
        EXPECT_EQ(dialog.m_nPortIndex, 0);
    });
}

}  // namespace main_window_test

namespace main_window_test {

// A failure that ends the worker is told in a box of the worker's own, with no owner: the
// window stays usable while it is open, and the worker ends once it is answered.
TEST_F(MainWindowTest, TheWorkersFailureBoxHasNoOwnerAndLeavesTheWindowUsable) {
    using tarvex::platform::AnswerOpenMessageBox;
    using tarvex::platform::FindOpenMessageBox;
    constexpr wchar_t kCaption[] = L"CJobThread Exception";
    {
        RecordingMessageBox boxes;
        TestLoaderDialog dialog;
        dialog.jobBody = [](TestLoaderDialog&) { throw std::runtime_error("the job broke"); };
        RunModal(dialog, [&] {
            Click(dialog, IDC_UPDATE);
            ASSERT_TRUE(WaitUntil([&] { return !boxes.Boxes().empty(); }));
            EXPECT_EQ(boxes.Boxes().front().caption, kCaption);
            EXPECT_EQ(boxes.Boxes().front().owner, nullptr);
        });
    }
    TestLoaderDialog dialog;
    dialog.jobBody = [](TestLoaderDialog&) { throw std::runtime_error("the job broke"); };
    RunModal(dialog, [&] {
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return FindOpenMessageBox(kCaption).has_value(); }));
        const auto box = FindOpenMessageBox(kCaption);
        EXPECT_FALSE(box->owned);
        EXPECT_FALSE(box->blocksWindows);
        Click(dialog, IDC_RADIO_ARENA);
        EXPECT_TRUE(Checked(dialog, IDC_RADIO_ARENA));
        HANDLE worker = dialog.ThreadHandle();
        ASSERT_NE(worker, nullptr);
        EXPECT_FALSE(WaitForSingleObject(worker, 0) == WAIT_OBJECT_0) << "ends once answered";
        EXPECT_TRUE(AnswerOpenMessageBox(kCaption));
        EXPECT_TRUE(WaitUntil([&] { return WaitForSingleObject(worker, 0) == WAIT_OBJECT_0; }));
        EXPECT_FALSE(FindOpenMessageBox(kCaption).has_value());
    });
}

}  // namespace main_window_test

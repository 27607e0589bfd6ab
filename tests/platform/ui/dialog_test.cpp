// The class library's dialogs and controls on the real window system, the same on both.
#include "platform/ui/dialog.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "platform/ui/user_input.h"
#include "support/window_driver.h"
#include "test_dialog.h"

namespace {

using namespace test_dialog;
using drive::Click;
using drive::RunModal;
using drive::Settle;
using drive::WaitUntil;

bool IsChecked(const CDialog& dialog, int id) {
    return dialog.IsDlgButtonChecked(id) == BST_CHECKED;
}

TEST(Dialog, RadioExchangeCoversItsGroupOnlyAndCanCheckNone) {
    TestDialog dialog;
    RunModal(dialog, [&] {
        EXPECT_TRUE(IsChecked(dialog, kRadioA)) << "OnInitDialog showed m_nChoice = 0";
        Click(dialog, kRadioC);
        Click(dialog, kRadioY);
        dialog.UpdateData(TRUE);
        EXPECT_EQ(dialog.m_nChoice, 2) << "the edit box inside the group does not count";
        EXPECT_FALSE(IsChecked(dialog, kRadioA));
        EXPECT_TRUE(IsChecked(dialog, kRadioY)) << "the second group is exclusive on its own";

        dialog.m_nChoice = -1;
        dialog.UpdateData(FALSE);
        EXPECT_FALSE(IsChecked(dialog, kRadioA) || IsChecked(dialog, kRadioB) ||
                     IsChecked(dialog, kRadioC));
        dialog.m_nChoice = 7;
        dialog.UpdateData(TRUE);
        EXPECT_EQ(dialog.m_nChoice, -1);
        Click(dialog, kRadioB);
        dialog.UpdateData(TRUE);
        EXPECT_EQ(dialog.m_nChoice, 1) << "the group is exclusive again after clearing";
        EXPECT_TRUE(IsChecked(dialog, kRadioY));
    });
}

TEST(Dialog, TextExchangeGoesBothWays) {
    TestDialog dialog;
    dialog.m_text = L"C:\\firmware\\Quorlex 2000.hex";
    RunModal(dialog, [&] {
        CWnd* edit = dialog.GetDlgItem(kEdit);
        EXPECT_EQ(edit->GetWindowText(), dialog.m_text);
        edit->SetWindowText(L"/tmp/\u00e9.fud");
        dialog.UpdateData(TRUE);
        EXPECT_EQ(dialog.m_text, L"/tmp/\u00e9.fud");
    });
}

TEST(Dialog, ProgressBarKeepsTheCommonControlModel) {
    TestDialog dialog;
    RunModal(dialog, [&] {
        CProgressCtrl& bar = dialog.m_progress;
        int lower = -1;
        int upper = -1;
        bar.SetRange(0, static_cast<short>(40000));
        bar.GetRange(lower, upper);
        EXPECT_EQ(upper, 40000) << "16-bit bounds are unsigned";
        bar.SetRange32(0, 2500);
        bar.GetRange(lower, upper);
        EXPECT_EQ(std::make_pair(lower, upper), std::make_pair(0, 2500));
        EXPECT_EQ(bar.SetPos(3000), 0);
        EXPECT_EQ(bar.GetPos(), 2500) << "kept inside the range";
        EXPECT_EQ(bar.SetStep(1000), 10);
        bar.SetPos(2000);
        EXPECT_EQ(bar.StepIt(), 2000);
        EXPECT_EQ(bar.GetPos(), 500) << "a step past the end wraps round";
        bar.SetRange(0, 0);
        EXPECT_EQ(bar.GetPos(), 0);
        bar.StepIt();
        EXPECT_EQ(bar.GetPos(), 0) << "an empty range has nowhere to go";
    });
}

TEST(Dialog, EscapeCancelsEnterSaysOkAndAFocusedButtonIsClicked) {
    {
        TestDialog dialog;
        const INT_PTR result = RunModal(dialog, [&] {
            tarvex::platform::PressKey(VK_ESCAPE);
            WaitUntil([&] { return !dialog.IsWindowVisible(); });
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(dialog.closes, 0) << "Esc is not the close path";
    }
    {
        TestDialog dialog;
        const INT_PTR result = RunModal(dialog, [&] {
            tarvex::platform::SetFocus(*dialog.GetDlgItem(kButton));
            tarvex::platform::PressKey(VK_RETURN);
            WaitUntil([&] { return dialog.buttonClicks == 1; });
            EXPECT_EQ(dialog.buttonClicks, 1);
            tarvex::platform::SetFocus(*dialog.GetDlgItem(kEdit));
            tarvex::platform::PressKey(VK_RETURN);
            WaitUntil([&] { return !dialog.IsWindowVisible(); });
        });
        EXPECT_EQ(result, IDOK);
    }
}

TEST(Dialog, CloseBoxAndPostedCloseGoThroughOnClose) {
    TestDialog dialog;
    EXPECT_EQ(RunModal(dialog, [&] { dialog.SendMessage(WM_CLOSE); }), IDCANCEL);
    EXPECT_EQ(dialog.closes, 1);

    TestDialog posted;
    RunModal(posted, [&] {
        posted.PostMessage(WM_CLOSE);
        EXPECT_EQ(posted.closes, 0) << "queued, not sent";
        WaitUntil([&] { return !posted.IsWindowVisible(); });
    });
    EXPECT_EQ(posted.closes, 1);
}

TEST(Dialog, TimersArriveUntilKilled) {
    TestDialog dialog;
    RunModal(dialog, [&] {
        EXPECT_EQ(dialog.SetTimer(7, 10, nullptr), 7u);
        ASSERT_TRUE(WaitUntil([&] { return dialog.timers.size() >= 2; }));
        EXPECT_EQ(dialog.timers.front(), 7u);
        EXPECT_TRUE(dialog.KillTimer(7));
        const std::size_t seen = dialog.timers.size();
        Settle(50);
        EXPECT_EQ(dialog.timers.size(), seen);
        EXPECT_FALSE(dialog.KillTimer(7));
    });
}

TEST(Dialog, SystemMenuCloseIsAClose) {
    TestDialog dialog;
    RunModal(dialog, [&] {
        CMenu systemMenu = dialog.GetSystemMenu(FALSE);
        std::wstring text;
        systemMenu.GetMenuString(SC_CLOSE, text, MF_BYCOMMAND);
        EXPECT_TRUE(text.starts_with(L"&Close")) << testing::PrintToString(text);
        dialog.PostMessage(WM_SYSCOMMAND, SC_CLOSE);
        WaitUntil([&] { return dialog.closes == 1; });
    });
    EXPECT_EQ(dialog.sysCommands, std::vector<UINT>{SC_CLOSE});
}

TEST(Dialog, ControlsFailOnceTheDialogHasEnded) {
    TestDialog dialog;
    RunModal(dialog, [&] { EXPECT_TRUE(dialog.m_button.SetWindowText(L"Run")); });
    EXPECT_FALSE(dialog.m_button.SetWindowText(L"late"));
    EXPECT_EQ(dialog.m_button.GetWindowText(), L"");
    auto fromWorker = std::async(std::launch::async, [&] { return dialog.m_progress.SetPos(5); });
    EXPECT_EQ(fromWorker.get(), 0);
    EXPECT_EQ(dialog.GetDlgItem(kButton)->EnableWindow(FALSE), FALSE);
}

}  // namespace

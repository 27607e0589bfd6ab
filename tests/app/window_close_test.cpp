// The main window closing, its boxes, keys and ports while a job runs, on both window systems.
#include <chrono>
#include <thread>

#include "app/main_window_fixture.h"

namespace main_window_test {

TEST_F(MainWindowTest, FileExitTakesTheClosePathAndEscapeDoesNot) {
    {
        TestLoaderDialog dialog;
        const INT_PTR result = RunModal(dialog, [&] {
            Choose(dialog, ID_FILE_EXIT);
            EXPECT_EQ(dialog.closes, 0) << "Exit posts WM_CLOSE";
            WaitUntil([&] { return dialog.closes > 0; });
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(dialog.closes, 1);
    }
    {
        TestLoaderDialog dialog;
        const INT_PTR result = RunModal(dialog, [&] {
            tarvex::platform::PressKey(VK_ESCAPE);
            WaitUntil([&] { return !dialog.IsWindowVisible(); });
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(dialog.closes, 0);
    }
    {
        TestLoaderDialog dialog;
        RunModal(dialog, [&] {
            dialog.SendMessage(WM_CLOSE);  // the close box
            dialog.SendMessage(WM_CLOSE);  // a second close while the first is under way
        });
        EXPECT_EQ(dialog.closes, 2);
    }
}

TEST_F(MainWindowTest, ClosingDuringAJobStopsWaitingAfterASecondAndLeavesNothingBehind) {
    RecordingMessageBox boxes;
    auto dialog = std::make_unique<TestLoaderDialog>();
    std::atomic<int> calls{0};
    std::atomic<bool> failedCall{false};
    TestEvent inJob;
    // A job that keeps calling into the window until the window is gone.
    dialog->jobBody = [&](TestLoaderDialog& self) {
        inJob.Set();
        while (self.m_status.SetWindowText(L"working " + std::to_wstring(calls))) ++calls;
        failedCall = true;
        self.MessageBox(L"too late");
    };
    RunModal(*dialog, [&] {
        Click(*dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return inJob.WaitFor(0); }));
        ASSERT_TRUE(WaitUntil([&] { return calls > 10; }));
        Choose(*dialog, ID_FILE_EXIT);
        WaitUntil([&] { return !dialog->IsWindowVisible(); });
    });
    dialog.reset();  // waits for the job, whose calls now fail
    EXPECT_TRUE(failedCall);
    EXPECT_TRUE(boxes.Boxes().empty() || boxes.Boxes().front().text == L"too late");
}

TEST_F(MainWindowTest, JobMessageBoxIsOwnedByTheDialogAndCarriesTheProgramsName) {
    RecordingMessageBox boxes;
    TestLoaderDialog dialog;
    std::atomic<HWND> owner{nullptr};
    dialog.jobBody = [&](TestLoaderDialog& self) {
        owner = self.GetSafeHwnd();
        self.MessageBox(L"Error: 5");
    };
    RunModal(dialog, [&] {
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return !boxes.Boxes().empty(); }));
        const MessageBoxRequest box = boxes.Boxes().front();
        EXPECT_EQ(box.text, L"Error: 5");
        EXPECT_EQ(box.caption, L"Tarvex2");
        EXPECT_EQ(box.owner, owner.load());
        EXPECT_NE(box.owner, nullptr);
        EXPECT_EQ(box.style, MB_OK);
        ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_UPDATE); }));
    });
}

TEST_F(MainWindowTest, PortChoiceMovesTheCheckAndTheJobReadsIt) {
    TestLoaderDialog dialog(std::vector<std::wstring>{L"COM3", L"COM1", L"COM4"});
    std::wstring portSeenByJob;
    dialog.jobBody = [&](TestLoaderDialog& self) { portSeenByJob = self.GetSelectedPortName(); };
    RunModal(dialog, [&] {
        Choose(dialog, 502);
        EXPECT_EQ(dialog.m_nPortIndex, 2);
        EXPECT_EQ(MenuState(dialog, 500), MF_UNCHECKED);
        EXPECT_EQ(MenuState(dialog, 502), MF_CHECKED);
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return !dialog.JobsRun().empty(); }));
        ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_UPDATE); }));
    });
    EXPECT_EQ(portSeenByJob, L"COM4");
}

TEST_F(MainWindowTest, NoPortTableKeepsThePlaceholderAndTheJobGetsNoName) {
    TestLoaderDialog dialog(std::nullopt);
    std::wstring portSeenByJob = L"unset";
    dialog.jobBody = [&](TestLoaderDialog& self) { portSeenByJob = self.GetSelectedPortName(); };
    RunModal(dialog, [&] {
        std::wstring text;
        dialog.GetMenu().GetSubMenu(2).GetMenuString(0, text, MF_BYPOSITION);
        EXPECT_EQ(text, L"COM1");
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(
            WaitUntil([&] { return Enabled(dialog, IDC_UPDATE) && !dialog.JobsRun().empty(); }));
    });
    EXPECT_EQ(portSeenByJob, L"");
}

TEST_F(MainWindowTest, EnterAndEscapeLeaveARunningJobAloneAndCloseOnceItHasEnded) {
    TestLoaderDialog dialog;
    TestEvent release;
    TestEvent inJob;
    dialog.jobBody = BlockUntil(inJob, release);
    const INT_PTR result = RunModal(dialog, [&] {
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return inJob.WaitFor(0); }));
        tarvex::platform::SetFocus(*dialog.GetDlgItem(IDC_RADIO_ARENA));
        tarvex::platform::PressKey(VK_RETURN);
        tarvex::platform::PressKey(VK_ESCAPE);
        Settle(50);
        EXPECT_TRUE(dialog.IsWindowVisible()) << "a transfer would have been cut off";
        release.Set();
        ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_UPDATE); }));
        tarvex::platform::SetFocus(*dialog.GetDlgItem(IDC_RADIO_ARENA));
        tarvex::platform::PressKey(VK_RETURN);  // no job now: Enter ends the dialog as OK
        EXPECT_TRUE(WaitUntil([&] { return !dialog.IsWindowVisible(); }));
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.closes, 0) << "Enter skips the close sequence";
}

TEST_F(MainWindowTest, CloseBoxEndsTheDialogDuringAJob) {
    TestLoaderDialog dialog;
    TestEvent inJob;
    dialog.jobBody = [&](TestLoaderDialog&) {
        inJob.Set();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    const INT_PTR result = RunModal(dialog, [&] {
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return inJob.WaitFor(0); }));
        dialog.SendMessage(WM_CLOSE);  // the close box
        EXPECT_TRUE(WaitUntil([&] { return !dialog.IsWindowVisible(); }));
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.closes, 1);
}

TEST(LoaderApp, IsNamedAfterTheProduct) {
    CWinApp* const previous = AfxGetApp();
    {
        LoaderApp app;
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_EQ(app.m_pszAppName, L"Tarvex2") << "not the program file's lower-case name";
    }
    EXPECT_EQ(AfxGetApp(), previous);
}

TEST_F(MainWindowTest, DataExchangeDuringAJobLeavesTheJobsControlsAlone) {
    // The job writes the status line and the bar from the worker while the window thread copies
    // the controls into the members, as "..." and the close do: the controls' bindings must not
    // change under the worker (a race detector or a crash shows it otherwise).
    TestLoaderDialog dialog;
    std::atomic<int> writes{0};
    dialog.jobBody = [&](TestLoaderDialog& self) {
        for (int i = 0; i < 300; ++i) {
            self.m_status.SetWindowText(L"step " + std::to_wstring(i));
            self.m_progress.SetPos(i);
            ++writes;
        }
    };
    RunModal(dialog, [&] {
        const auto bound = dialog.m_status.Window();
        Click(dialog, IDC_UPDATE);
        while (!Enabled(dialog, IDC_UPDATE) || writes < 300) {
            dialog.UpdateData(TRUE);
            Settle(1);
        }
        EXPECT_EQ(dialog.m_status.Window(), bound);
        EXPECT_EQ(StatusText(dialog), L"step 299");
    });
}

// A logoff or shutdown in the middle of a job: before WM_ENDSESSION returns (the system may end
// the process then), the settings are saved and the job has been ended, as the window's close
// and its end would do.
TEST_F(MainWindowTest, TheSessionsEndSavesAndEndsTheJobBeforeTheSystemMayEndTheProgram) {
    TestLoaderDialog dialog;
    TestEvent inJob;
    std::atomic<bool> jobEnded{false};
    dialog.jobBody = [&](TestLoaderDialog& self) {
        inJob.Set();
        // A device job waits for its device until its link is cancelled.
        while (!self.cancellation_->IsCancelled()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        jobEnded = true;
    };
    RunModal(dialog, [&] {
        Click(dialog, IDC_RADIO_ARENA);
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return inJob.WaitFor(0); }));
        EXPECT_EQ(dialog.SendMessage(WM_QUERYENDSESSION), TRUE) << "never holds the session up";
        EXPECT_FALSE(jobEnded);
        dialog.SendMessage(WM_ENDSESSION, TRUE);
        EXPECT_TRUE(jobEnded);
        EXPECT_TRUE(std::filesystem::exists(workdir.path() / "Tarvex2.cfg"));
    });
    EXPECT_EQ(dialog.m_nSetupType, 1);
}

}  // namespace main_window_test

// The main window closing, its boxes, keys and system menu, and its ports while a job runs.
#include "app/main_window_fixture.h"

namespace main_window_test {

TEST_F(MainWindowTest, FileExitTakesTheClosePathAndEscapeDoesNot) {
    {
        TestLoaderDialog dialog;
        const INT_PTR result = RunModal(dialog, [&] {
            MenuAction(dialog, ID_FILE_EXIT)->trigger();
            EXPECT_EQ(dialog.closes, 0) << "Exit posts WM_CLOSE";
            WaitUntil([&] { return dialog.closes > 0; });
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(dialog.closes, 1);
    }
    {
        TestLoaderDialog dialog;
        RunModal(dialog, [&] { QTest::keyClick(DialogWidget(dialog), Qt::Key_Escape); });
        EXPECT_EQ(dialog.closes, 0);
    }
    {
        TestLoaderDialog dialog;
        RunModal(dialog, [&] {
            DialogWidget(dialog)->close();
            DialogWidget(dialog)->close();  // a second close while the first is under way
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
        MenuAction(*dialog, ID_FILE_EXIT)->trigger();
        WaitUntil([&] {
            return DialogWidget(*dialog) == nullptr || !DialogWidget(*dialog)->isVisible();
        });
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
        MenuAction(dialog, 502)->trigger();
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

// The system menu of the window (Alt+Space or a right click), or null while it is not open.
QMenu* OpenSystemMenu(const CDialog& dialog) {
    for (QMenu* menu : DialogWidget(dialog)->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        if (menu->isVisible()) return menu;
    }
    return nullptr;
}

TEST_F(MainWindowTest, EnterAndEscapeLeaveARunningJobAloneAndCloseOnceItHasEnded) {
    TestLoaderDialog dialog;
    TestEvent release;
    TestEvent inJob;
    dialog.jobBody = BlockUntil(inJob, release);
    const INT_PTR result = RunModal(dialog, [&] {
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return inJob.WaitFor(0); }));
        QWidget* radio = ControlWidget(dialog, IDC_RADIO_ARENA);
        radio->setFocus();
        QTest::keyClick(radio, Qt::Key_Return);
        QTest::keyClick(DialogWidget(dialog), Qt::Key_Escape);
        QTest::qWait(50);
        EXPECT_TRUE(DialogWidget(dialog)->isVisible()) << "a transfer would have been cut off";
        release.Set();
        ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_UPDATE); }));
        radio->setFocus();
        QTest::keyClick(radio, Qt::Key_Return);  // no job now: Enter ends the dialog as OK
        EXPECT_TRUE(WaitUntil([&] { return !DialogWidget(dialog)->isVisible(); }));
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.closes, 0) << "Enter skips the close sequence";
}

TEST_F(MainWindowTest, CloseBoxEndsTheDialogDuringAJob) {
    TestLoaderDialog dialog;
    TestEvent inJob;
    dialog.jobBody = [&](TestLoaderDialog&) {
        inJob.Set();
        QTest::qSleep(300);
    };
    const INT_PTR result = RunModal(dialog, [&] {
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return inJob.WaitFor(0); }));
        DialogWidget(dialog)->close();
        EXPECT_TRUE(WaitUntil([&] { return !DialogWidget(dialog)->isVisible(); }));
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.closes, 1);
}

TEST_F(MainWindowTest, AltSpaceAndRightClickOpenTheSystemMenuAndPressNothing) {
    TestLoaderDialog dialog;
    RunModal(dialog, [&] {
        QWidget* update = ControlWidget(dialog, IDC_UPDATE);
        update->setFocus();
        ASSERT_TRUE(update->hasFocus());
        QTest::keyClick(update, Qt::Key_Space, Qt::AltModifier);
        QMenu* menu = OpenSystemMenu(dialog);
        ASSERT_NE(menu, nullptr) << "Alt+Space from a push button";
        const QList<QAction*> items = menu->actions();
        ASSERT_FALSE(items.isEmpty());
        EXPECT_EQ(items.back()->text(), QStringLiteral("&About Tarvex2..."));
        menu->hide();
        QTest::qWait(100);
        EXPECT_TRUE(dialog.JobsRun().empty()) << "the button was pressed";
        EXPECT_TRUE(Enabled(dialog, IDC_UPDATE));

        // A right click where no control is: below the status box, left of "Update Progress:".
        QWidget* window = DialogWidget(dialog);
        const QPoint empty(window->width() - 4, 4 + window->height() / 2);
        ASSERT_EQ(window->childAt(empty), nullptr);
        QContextMenuEvent click(QContextMenuEvent::Mouse, empty, window->mapToGlobal(empty));
        QApplication::sendEvent(window, &click);
        menu = OpenSystemMenu(dialog);
        ASSERT_NE(menu, nullptr) << "right click on the empty area";
        menu->hide();
    });
}

TEST_F(MainWindowTest, MessageBoxesShowTheirCaptionWholeAndCannotBeMaximised) {
    TestLoaderDialog dialog;
    dialog.jobBody = [&](TestLoaderDialog& self) { self.MessageBox(L"Error: 5"); };
    RunModal(dialog, [&] {
        const Qt::WindowFlags mainFlags = DialogWidget(dialog)->windowFlags();
        EXPECT_FALSE(mainFlags & Qt::WindowMaximizeButtonHint) << "the window's size is fixed";
        EXPECT_TRUE(mainFlags & Qt::WindowMinimizeButtonHint);

        // The box runs its own loop on this thread: a timer looks at it from inside that loop.
        struct Seen {
            QString title, text;
            int width = 0, minimumWidth = 0, captionWidth = 0;
            Qt::WindowFlags flags;
        };
        std::optional<Seen> seen;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible() || seen) return;
            seen = Seen{box->windowTitle(),
                        box->text(),
                        box->width(),
                        tarvex::platform::MessageBoxMinimumWidth(box->windowTitle()),
                        box->fontMetrics().horizontalAdvance(box->windowTitle()),
                        box->windowFlags()};
            box->accept();
        });
        look.start(20);
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return seen.has_value(); }));
        EXPECT_EQ(seen->title, QStringLiteral("Tarvex2"));
        EXPECT_EQ(seen->text, QStringLiteral("Error: 5"));
        EXPECT_GE(seen->width, seen->minimumWidth);
        EXPECT_GE(seen->width, seen->captionWidth + 100);
        EXPECT_FALSE(seen->flags & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
        EXPECT_TRUE(seen->flags & Qt::WindowCloseButtonHint);
        ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_UPDATE); }));
    });
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
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(dialog.m_status.Window(), bound);
        EXPECT_EQ(StatusText(dialog), L"step 299");
    });
}

}  // namespace main_window_test

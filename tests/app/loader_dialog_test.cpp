// The main window on the offscreen platform, driven as a technician would drive it.
#include "app/loader_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <fstream>
#include <mutex>
#include <optional>

#include "app/loader_app.h"
#include "app/resource.h"
#include "platform/kernel_objects.h"
#include "platform/ui/window_ref.h"
#include "platform/ui/window_system.h"
#include "support/dialog_driver.h"
#include "support/recording_message_box.h"
#include "support/temp_dir.h"
#include "support/test_worker.h"
#include "support/working_directory.h"

using tarvex::platform::MessageBoxRequest;
using tarvex::platform::SerialPortList;

namespace {

using tarvex::platform::ControlWidget;
using tarvex::platform::DialogWidget;

// The main dialog with jobs that record which one ran, then end as the real ones do.
class TestLoaderDialog : public LoaderDialog {
  public:
    explicit TestLoaderDialog(SerialPortList ports = std::vector<std::wstring>{L"/dev/ttyS0",
                                                                               L"/dev/ttyUSB0"})
        : LoaderDialog(nullptr, [ports] { return ports; }) {}
    ~TestLoaderDialog() override { EndJobs(); }

    bool ReprogramConsole() override { return Job(L"console", m_hConsoleEvent); }
    bool SendFieldUpdate() override { return Job(L"sign", m_hSignEvent); }

    std::vector<std::wstring> JobsRun() {
        std::lock_guard guard(mutex_);
        return jobsRun_;
    }

    // Runs inside each job on the worker thread, before the job's end.
    std::function<void(TestLoaderDialog&)> jobBody;
    std::atomic<int> closes{0};
    using LoaderDialog::m_bStepProgress;
    using LoaderDialog::m_nPortIndex;
    using LoaderDialog::m_nSetupType;
    using LoaderDialog::m_progress;
    using LoaderDialog::m_status;
    using LoaderDialog::m_strCustomFile;
    using LoaderDialog::OnTimer;

  protected:
    void OnClose() override {
        ++closes;
        LoaderDialog::OnClose();
    }

  private:
    bool Job(const wchar_t* jobName, HANDLE event) {
        {
            std::lock_guard guard(mutex_);
            jobsRun_.push_back(jobName);
        }
        if (jobBody) jobBody(*this);
        ResetEvent(event);
        StopThread(nullptr, 50);
        EnableControlsAfterJob();
        return true;
    }

    std::mutex mutex_;
    std::vector<std::wstring> jobsRun_;
};

// Each test runs in a working directory of its own that holds the built-in firmware files.
class MainWindowTest : public testing::Test {
  protected:
    MainWindowTest() { workdir.WriteBuiltInFirmware(); }
    ScopedWorkingDirectory workdir;
};

// A job body that says it has started, then waits until the test releases it.
std::function<void(TestLoaderDialog&)> BlockUntil(TestEvent& started, TestEvent& release) {
    return [&started, &release](TestLoaderDialog&) {
        started.Set();
        release.WaitFor();
    };
}

bool Enabled(const CDialog& dialog, int id) { return ControlWidget(dialog, id)->isEnabled(); }

bool Checked(const CDialog& dialog, int id) {
    return qobject_cast<QRadioButton*>(ControlWidget(dialog, id))->isChecked();
}

std::wstring StatusText(const CDialog& dialog) {
    return qobject_cast<QLabel*>(ControlWidget(dialog, IDC_STATUS))->text().toStdWString();
}

UINT MenuState(const CDialog& dialog, UINT id) {
    return dialog.GetMenu().GetMenuState(id, MF_BYCOMMAND);
}

TEST_F(MainWindowTest, StartsReadyWithTheFirstBuiltInTypeAndTheFirstPort) {
    TestLoaderDialog dialog;
    RunModal(dialog, [&] {
        EXPECT_TRUE(Checked(dialog, IDC_RADIO_POOLSIDE));
        EXPECT_FALSE(Enabled(dialog, IDC_CUSTOM_FILE));
        EXPECT_FALSE(Enabled(dialog, IDC_BROWSE));
        EXPECT_TRUE(Enabled(dialog, IDC_UPDATE));
        EXPECT_EQ(StatusText(dialog), L"Configure Communications Settings and Setup Type.");
        EXPECT_EQ(DialogWidget(dialog)->windowTitle(), QStringLiteral("Tarvex2"));
        EXPECT_FALSE(DialogWidget(dialog)->windowIcon().isNull());

        CMenu ports = dialog.GetMenu().GetSubMenu(2);
        ASSERT_EQ(ports.GetMenuItemCount(), 2);
        EXPECT_EQ(ports.GetMenuState(0, MF_BYPOSITION), MF_CHECKED);
        EXPECT_EQ(dialog.GetSelectedPortName(), L"/dev/ttyS0");

        CMenu systemMenu = dialog.GetSystemMenu(FALSE);
        ASSERT_EQ(systemMenu.GetMenuItemCount(), 3);
        EXPECT_EQ(systemMenu.GetMenuItemID(2), IDM_ABOUTBOX);
        std::wstring text;
        systemMenu.GetMenuString(2, text, MF_BYPOSITION);
        EXPECT_EQ(text, L"&About Tarvex2...");
    });
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
            MenuAction(dialog, ID_CONSOLE_UPDATE)->trigger();  // grayed: nothing happens
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
        MenuAction(dialog, ID_CONSOLE_UPDATE)->trigger();
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
        QTest::qWait(100);
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
        qobject_cast<QLineEdit*>(ControlWidget(dialog, IDC_CUSTOM_FILE))->setText("/srv/fw.hex");
        Click(dialog, IDC_RADIO_HUEVANE);
        EXPECT_FALSE(Enabled(dialog, IDC_CUSTOM_FILE));
        EXPECT_FALSE(Enabled(dialog, IDC_BROWSE));
        Click(dialog, IDC_RADIO_OTHER_TY5500);
        dialog.UpdateData(TRUE);
        EXPECT_EQ(dialog.m_strCustomFile, L"/srv/fw.hex");
        EXPECT_EQ(dialog.FirmwarePathFor(dialog.m_nSetupType), L"/srv/fw.hex");
    });
}

// Answers the file dialog about to open: records its filters, then picks `file` (or cancels
// when `file` is empty). Looks for it until it shows, for at most ten seconds.
void AnswerFileDialog(QStringList& filters, const QString& file, int attempts = 500) {
    QTimer::singleShot(20, [&filters, file, attempts] {
        QFileDialog* dialog = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible()) dialog = dialog ? dialog : qobject_cast<QFileDialog*>(window);
        }
        if (dialog == nullptr) {
            if (attempts > 0) AnswerFileDialog(filters, file, attempts - 1);
            return;
        }
        filters = dialog->nameFilters();
        if (file.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name box, as a user picks a file.
        const QFileInfo info(file);
        dialog->setDirectory(info.absolutePath());
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(info.fileName());
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

TEST_F(MainWindowTest, BrowseOffersTheFilesOfTheCheckedCustomType) {
    TempDir dir;
    const std::string hexFile = (dir.path() / "Poolside v2.hex").string();
    std::ofstream(hexFile) << ":00000001FF\n";
    TestLoaderDialog dialog;
    RunModal(dialog, [&] {
        QStringList filters;
        Click(dialog, IDC_RADIO_OTHER_QX2000);
        AnswerFileDialog(filters, QString::fromStdString(hexFile));
        Click(dialog, IDC_BROWSE);
        EXPECT_EQ(filters, QStringList({"Hex File (*.hex)", "All Files (*)"}));
        EXPECT_EQ(dialog.m_strCustomFile, std::filesystem::path(hexFile).wstring());
        EXPECT_EQ(qobject_cast<QLineEdit*>(ControlWidget(dialog, IDC_CUSTOM_FILE))->text(),
                  QString::fromStdString(hexFile));

        Click(dialog, IDC_RADIO_OTHER_TY5500);
        AnswerFileDialog(filters, QString());
        Click(dialog, IDC_BROWSE);
        EXPECT_EQ(filters, QStringList({"Field Update File (*.fud)", "All Files (*)"}));
        EXPECT_EQ(dialog.m_strCustomFile, std::filesystem::path(hexFile).wstring())
            << "Cancel leaves the path";
        EXPECT_TRUE(Checked(dialog, IDC_RADIO_OTHER_TY5500));
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
        QTest::qWait(600);  // a real tick of the 500 ms timer
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

}  // namespace

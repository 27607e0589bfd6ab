// The main window on the offscreen platform, driven as a technician would drive it.
#include "app/main_window_fixture.h"

#include <QDir>

namespace main_window_test {

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
void AnswerFileDialog(QStringList& filters, const QString& file, int attempts = 500,
                      QString* openedIn = nullptr) {
    QTimer::singleShot(20, [&filters, file, attempts, openedIn] {
        QFileDialog* dialog = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible()) dialog = dialog ? dialog : qobject_cast<QFileDialog*>(window);
        }
        if (dialog == nullptr) {
            if (attempts > 0) AnswerFileDialog(filters, file, attempts - 1, openedIn);
            return;
        }
        filters = dialog->nameFilters();
        if (openedIn != nullptr) *openedIn = dialog->directory().absolutePath();
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

// The dialog offers the files of the checked custom type, and opens in the folder of the current
// custom file while that folder exists, in the working folder otherwise.
TEST_F(MainWindowTest, BrowseOffersTheFilesOfTheCheckedCustomTypeFromItsFolder) {
    TempDir dir;
    const std::string hexFile = (dir.path() / "Poolside v2.hex").string();
    std::ofstream(hexFile) << ":00000001FF\n";
    TestLoaderDialog dialog;
    RunModal(dialog, [&] {
        QStringList filters;
        QString openedIn;
        Click(dialog, IDC_RADIO_OTHER_QX2000);
        AnswerFileDialog(filters, QString::fromStdString(hexFile), 500, &openedIn);
        Click(dialog, IDC_BROWSE);
        EXPECT_EQ(openedIn, QDir::currentPath()) << "no custom file yet";
        EXPECT_EQ(filters, QStringList({"Hex File (*.hex)", "All Files (*)"}));
        EXPECT_EQ(dialog.m_strCustomFile, std::filesystem::path(hexFile).wstring());
        EXPECT_EQ(qobject_cast<QLineEdit*>(ControlWidget(dialog, IDC_CUSTOM_FILE))->text(),
                  QString::fromStdString(hexFile));

        Click(dialog, IDC_RADIO_OTHER_TY5500);
        AnswerFileDialog(filters, QString(), 500, &openedIn);
        Click(dialog, IDC_BROWSE);
        EXPECT_EQ(openedIn, QString::fromStdString(dir.path().string()));
        EXPECT_EQ(filters, QStringList({"Field Update File (*.fud)", "All Files (*)"}));
        EXPECT_EQ(dialog.m_strCustomFile, std::filesystem::path(hexFile).wstring())
            << "Cancel leaves the path";
        EXPECT_TRUE(Checked(dialog, IDC_RADIO_OTHER_TY5500));

        qobject_cast<QLineEdit*>(ControlWidget(dialog, IDC_CUSTOM_FILE))
            ->setText(QString::fromStdString((dir.path() / "gone" / "x.hex").string()));
        AnswerFileDialog(filters, QString(), 500, &openedIn);
        Click(dialog, IDC_BROWSE);
        EXPECT_EQ(openedIn, QDir::currentPath()) << "a folder that does not exist";
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

}  // namespace main_window_test

namespace main_window_test {

// Six hundred ports: the items past the 256th have no command, so none of them can stand in for
// Update (item 505 had id 1004) or the browse button (item 508 had id 1007).
TEST_F(MainWindowTest, PortItemsPastThe256thCannotStartAnything) {
    std::vector<std::wstring> ports;
    for (int i = 0; i < 600; ++i) ports.push_back(L"/dev/ttyV" + std::to_wstring(i));
    TestLoaderDialog dialog(ports);
    bool browsed = false;
    RunModal(dialog, [&] {
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                browsed = true;
                box->reject();
            }
        });
        const QList<QAction*> items = MenuAt(dialog, 2)->actions();
        ASSERT_EQ(items.size(), 600);
        for (int position : {504, 507, 599}) {
            EXPECT_FALSE(items[position]->isEnabled()) << position;
            items[position]->trigger();
        }
        QTest::qWait(100);
        EXPECT_TRUE(dialog.JobsRun().empty());
        EXPECT_FALSE(browsed);
        EXPECT_EQ(dialog.GetSelectedPortName(), L"/dev/ttyV0");
        EXPECT_EQ(dialog.m_nPortIndex, 0);
    });
}

}  // namespace main_window_test

namespace main_window_test {

// A failure that ends the worker is told in a box owned by the main window.
TEST_F(MainWindowTest, TheWorkersFailureBoxIsOwnedByTheMainWindow) {
    RecordingMessageBox boxes;
    TestLoaderDialog dialog;
    dialog.jobBody = [](TestLoaderDialog&) { throw std::runtime_error("the job broke"); };
    RunModal(dialog, [&] {
        Click(dialog, IDC_UPDATE);
        ASSERT_TRUE(WaitUntil([&] { return !boxes.Boxes().empty(); }));
        const MessageBoxRequest box = boxes.Boxes().front();
        EXPECT_EQ(box.caption, L"CJobThread Exception");
        EXPECT_NE(box.owner, nullptr);
        EXPECT_EQ(box.owner, dialog.GetSafeHwnd());
    });
}

}  // namespace main_window_test

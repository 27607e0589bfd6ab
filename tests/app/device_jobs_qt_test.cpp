// The two device jobs end to end: the real main window on the offscreen platform, a real
// pseudo-terminal as the serial port, and the simulated console or sign at its far end.
#include "app/device_jobs_fixture.h"
#include "support/console_statuses.h"

namespace device_jobs_test {

TEST_F(DeviceJobsTest, ConsoleGetsExactlyTheRepliesAndTheFile) {
    const std::string hex = tarvex::devsim::MakeIntelHex(20000);
    const tarvex::devsim::Bytes image(hex.begin(), hex.end());
    const std::wstring file = WriteFile("console.hex", image);
    tarvex::devsim::Faults faults;
    faults.splitMarkers = true;
    faults.noiseAroundMarkers = true;
    Device console([&] { return tarvex::devsim::PlayConsole(line, faults, 20s); });
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    RunModal(dialog, [&] {
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, file);
        EXPECT_EQ(Status(dialog), L"Reprogramming of the Quorlex 2000 console complete.");
        int lower = 0;
        int upper = 0;
        dialog.m_progress.GetRange(lower, upper);
        EXPECT_EQ(upper, 3 * (8 * static_cast<int>(image.size()) / 115200));
        EXPECT_EQ(dialog.m_progress.GetPos(), upper) << "filled on success";
        EXPECT_EQ(dialog.m_bStepProgress, 0);
    });
    const tarvex::devsim::Outcome outcome = console.Join();
    EXPECT_TRUE(outcome.ok) << outcome.failure;
    EXPECT_EQ(line.Received(), tarvex::devsim::ExpectedConsoleBytes(image));
    EXPECT_EQ(dialog.record.Copy(dialog.record.statuses), kConsoleUpdateStatuses);
}

TEST_F(DeviceJobsTest, TwoMarkersInOneChunkAreAnsweredByPriority) {
    const std::wstring file = WriteFile("console.hex", tarvex::devsim::Bytes{'A', 'B'});
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    Device console([&] {
        if (!line.WaitConfigured(115200, false, 10s))
            return tarvex::devsim::Outcome{false, "not set up"};
        line.Send("!0!3");  // the higher-priority marker first: only "#0" comes back
        if (!line.Expect("#0", 5s) || line.ReceiveCount(1, 200ms))
            return tarvex::devsim::Outcome{false, "!3 answered early"};
        line.Send("x");  // any further character lets the waiting "!3" be taken
        if (!line.Expect("#1", 5s)) return tarvex::devsim::Outcome{false, "no #1"};
        line.Send("!3!0");  // the lower-priority one first: "!0" wins, "!3" is dropped
        if (!line.Expect("#0", 5s)) return tarvex::devsim::Outcome{false, "no second #0"};
        line.Send("y");
        if (line.ReceiveCount(1, 300ms))
            return tarvex::devsim::Outcome{false, "dropped !3 answered"};
        line.Send("!6");
        return line.ReceiveCount(2, 5s) ? tarvex::devsim::Outcome{true, {}}
                                        : tarvex::devsim::Outcome{false, "no file"};
    });
    RunModal(dialog, [&] { RunJob(dialog, IDC_RADIO_OTHER_QX2000, file); });
    const tarvex::devsim::Outcome outcome = console.Join();
    EXPECT_TRUE(outcome.ok) << outcome.failure;
    const std::string received(line.Received().begin(), line.Received().end());
    EXPECT_EQ(received, "#0#1#0AB");
}

TEST_F(DeviceJobsTest, SignGetsBlocksEndBytesAndRetriesUntilStop) {
    const tarvex::devsim::Bytes fud = tarvex::devsim::MakeFieldUpdate(2500);
    const std::wstring file = WriteFile("sign.fud", fud);
    tarvex::devsim::Faults faults;
    faults.xoffAfter = 1500;  // the controller pauses the first transmission for a while
    Device sign([&] { return tarvex::devsim::PlaySign(line, fud.size(), 1, faults, 20s); });
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    RunModal(dialog, [&] {
        RunJob(dialog, IDC_RADIO_OTHER_TY5500, file);
        EXPECT_EQ(Status(dialog), L"Received stop signal.");
        int lower = 0;
        int upper = 0;
        dialog.m_progress.GetRange(lower, upper);
        EXPECT_EQ(upper, 2500);
        EXPECT_EQ(dialog.m_progress.GetPos(), 2500);
    });
    const tarvex::devsim::Outcome outcome = sign.Join();
    EXPECT_TRUE(outcome.ok) << outcome.failure;
    EXPECT_EQ(line.Received(), tarvex::devsim::ExpectedSignBytes(fud, 1))
        << "the retry resends it all";
    EXPECT_EQ(dialog.record.Copy(dialog.record.writes),
              (std::vector<std::size_t>{1024, 1024, 452, 1, 1024, 1024, 452, 1}));
    EXPECT_EQ(dialog.record.Copy(dialog.record.positions),
              (std::vector<std::int32_t>{1024, 2048, 2500, 1024, 2048, 2500}));
    const auto statuses = dialog.record.Copy(dialog.record.statuses);
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(statuses[1], L"Waiting for the update process to start on the Tessary.");
    EXPECT_EQ(statuses[statuses.size() - 2],
              L"Field update complete.  Waiting for retry or stop...");
}

TEST_F(DeviceJobsTest, StopBeforeAnyRequestSendsNothing) {
    const std::wstring file = WriteFile("sign.fud", tarvex::devsim::MakeFieldUpdate(10));
    Device sign([&] {
        if (!line.WaitConfigured(19200, true, 10s))
            return tarvex::devsim::Outcome{false, "not set up"};
        line.Send("!1", 20ms);
        std::this_thread::sleep_for(30ms);
        line.Send("0");  // "!1" and "0" in separate chunks still make the stop marker
        return tarvex::devsim::Outcome{true, {}};
    });
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    RunModal(dialog, [&] {
        RunJob(dialog, IDC_RADIO_OTHER_TY5500, file);
        EXPECT_EQ(Status(dialog), L"Received stop signal.");
    });
    EXPECT_TRUE(sign.Join().ok);
    EXPECT_TRUE(line.Received().empty());
}

TEST_F(DeviceJobsTest, SetUpFailuresNameThePortAndGiveTheControlsBack) {
    const std::wstring file = WriteFile("console.hex", tarvex::devsim::Bytes{'x'});
    {
        WatchedDialog dialog(std::nullopt);  // no port table: nothing is checked
        RunModal(dialog, [&] {
            RunJob(dialog, IDC_RADIO_OTHER_QX2000, file);
            EXPECT_EQ(Status(dialog),
                      L"Failed to Open Communications Port. Verify that  is working properly.");
        });
    }
    {
        const int other = open(line.PortPath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);  // another program holds the port
        WatchedDialog dialog(std::vector<std::wstring>{Port()});
        RunModal(dialog, [&] {
            RunJob(dialog, IDC_RADIO_OTHER_QX2000, file);
            EXPECT_EQ(Status(dialog), L"Failed to Open Communications Port. Verify that " + Port() +
                                          L" is working properly.");
            // The link's failure ended the worker's loop; the next Update starts a new one.
            close(other);
            Device console([&] { return tarvex::devsim::PlayConsole(line, {}, 10s); });
            RunJob(dialog, IDC_RADIO_OTHER_QX2000, file, 1);
            EXPECT_EQ(Status(dialog), L"Reprogramming of the Quorlex 2000 console complete.");
        });
    }
}

TEST_F(DeviceJobsTest, JobSendsTheFileChosenWhenUpdateWasPressed) {
    const tarvex::devsim::Bytes fud = tarvex::devsim::MakeFieldUpdate(100);
    const std::wstring file = WriteFile("sign.fud", fud);
    Device sign([&] { return tarvex::devsim::PlaySign(line, fud.size(), 0, {}, 20s); });
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    RunModal(dialog, [&] {
        Click(dialog, IDC_RADIO_OTHER_TY5500);
        auto* edit = qobject_cast<QLineEdit*>(ControlWidget(dialog, IDC_CUSTOM_FILE));
        edit->setText(QString::fromStdWString(file));
        Click(dialog, IDC_UPDATE);
        // The job's first report waits for this thread, so this change comes before it looks.
        edit->setText(QStringLiteral("/nonexistent.fud"));
        dialog.UpdateData(TRUE);
        ASSERT_TRUE(WaitUntil([&] { return dialog.record.ends > 0; }, 30000));
        EXPECT_EQ(Status(dialog), L"Received stop signal.");
    });
    EXPECT_TRUE(sign.Join().ok);
    EXPECT_EQ(line.Received(), tarvex::devsim::ExpectedSignBytes(fud, 0));
}

TEST_F(DeviceJobsTest, MissingFileEndsQuietlyWithoutTouchingThePort) {
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    RunModal(dialog, [&] {
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, (dir.path() / "missing.hex").wstring());
        EXPECT_EQ(Status(dialog), L"Verifying Communications Port...");
        EXPECT_TRUE(dialog.record.Copy(dialog.record.writes).empty());
    });
    EXPECT_FALSE(line.WaitConfigured(115200, false, 50ms)) << "the port was never set up";
}

TEST_F(DeviceJobsTest, HangUpDuringTransfersIsReportedAndNothingHangs) {
    const std::string hex = tarvex::devsim::MakeIntelHex(200000);
    const std::wstring consoleFile =
        WriteFile("console.hex", tarvex::devsim::Bytes(hex.begin(), hex.end()));
    tarvex::devsim::Faults faults;
    faults.hangUpAfter = 5000;
    {
        Device console([&] { return tarvex::devsim::PlayConsole(line, faults, 20s); });
        WatchedDialog dialog(std::vector<std::wstring>{Port()});
        RunModal(dialog, [&] {
            RunJob(dialog, IDC_RADIO_OTHER_QX2000, consoleFile);
            EXPECT_EQ(Status(dialog),
                      L"An error occurred while programming the Quorlex 2000 "
                      L"console.  Please try again.");
        });
    }
    RecordingMessageBox boxes;
    tarvex::devsim::DeviceLine signLine;
    const std::wstring signFile = WriteFile("sign.fud", tarvex::devsim::MakeFieldUpdate(200000));
    Device sign([&] { return tarvex::devsim::PlaySign(signLine, 200000, 0, faults, 20s); });
    WatchedDialog dialog(
        std::vector<std::wstring>{tarvex::platform::WidenAnsi(signLine.PortPath())});
    RunModal(dialog, [&] {
        RunJob(dialog, IDC_RADIO_OTHER_TY5500, signFile);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, L"Error: 5") << "EIO, the hung-up line's error";
        EXPECT_EQ(boxes.Boxes()[0].caption, L"Tarvex2");
        EXPECT_EQ(boxes.Boxes()[0].owner, dialog.GetSafeHwnd());
        const auto statuses = dialog.record.Copy(dialog.record.statuses);
        EXPECT_NE(
            std::find(statuses.begin(), statuses.end(),
                      L"An error occurred while sending the field update.  Please try again."),
            statuses.end());
    });
}

TEST_F(DeviceJobsTest, ClosingTheWindowWhileAJobWaitsEndsTheJob) {
    const std::wstring file = WriteFile("console.hex", tarvex::devsim::Bytes{'x'});
    auto dialog = std::make_unique<WatchedDialog>(std::vector<std::wstring>{Port()});
    RunModal(*dialog, [&] {
        PressUpdate(*dialog, IDC_RADIO_OTHER_QX2000, file);
        // The console never answers. (The window thread keeps pumping: the job's set-up talks to
        // it.)
        ASSERT_TRUE(WaitUntil([&] { return line.WaitConfigured(115200, false, 1ms); }));
        MenuAction(*dialog, ID_FILE_EXIT)->trigger();
        WaitUntil([&] { return !tarvex::platform::DialogWidget(*dialog)->isVisible(); });
    });
    dialog.reset();  // cancels the silent wait, then waits for the job to end
    SUCCEED();
}

}  // namespace device_jobs_test

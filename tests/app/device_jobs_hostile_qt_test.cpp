// The device jobs under hostile conditions: hang-ups, closes mid-job, odd files and ports, the job
// log.
#include "app/device_jobs_fixture.h"

#include <QCryptographicHash>
#include <set>

namespace device_jobs_test {

// The lines of the job log, without their times and job tags ("2026-12-09 01:10:22.123 [4242.1] ").
std::vector<std::string> JobLogLines() {
    std::ifstream in(std::filesystem::path(std::getenv("XDG_STATE_HOME")) / "tarvex2" / "jobs.log");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t tagEnd = line.find("] ", 24);
        if (tagEnd != std::string::npos) lines.push_back(line.substr(tagEnd + 2));
    }
    return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& wanted) {
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

// An empty firmware file ends either job at once, as a file that cannot be opened does: the port
// is never opened, so no marker is answered (a console answered "!3" erases its flash), and the
// log says why.
TEST_F(DeviceJobsTest, EmptyFilesEndTheJobBeforeAnyMarkerIsAnswered) {
    std::filesystem::remove_all(std::filesystem::path(std::getenv("XDG_STATE_HOME")) / "tarvex2");
    const std::wstring hex = WriteFile("empty.hex", {});
    const std::wstring fud = WriteFile("empty.fud", {});
    const std::wstring twoLines = WriteFile("two\nlines.hex", {});  // its log line stays one
    Device console([&] {
        const bool opened = line.WaitProgramOpened(3s);
        return tarvex::devsim::Outcome{!opened, opened ? "the port was opened" : ""};
    });
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    RunModal(dialog, [&] {
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, hex);
        EXPECT_EQ(Status(dialog), L"Verifying Communications Port...");
        RunJob(dialog, IDC_RADIO_OTHER_TY5500, fud, 1);
        EXPECT_EQ(Status(dialog), L"Verifying Communications Port...");
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, twoLines, 2);
    });
    const tarvex::devsim::Outcome outcome = console.Join();
    EXPECT_TRUE(outcome.ok) << outcome.failure;
    EXPECT_TRUE(dialog.record.Copy(dialog.record.writes).empty()) << "the port was never written";
    const std::vector<std::string> lines = JobLogLines();
    for (const std::wstring& file : {hex, fud}) {
        EXPECT_NE(
            std::find(lines.begin(), lines.end(),
                      "file: " + tarvex::platform::ToUtf8(file) + " (empty, nothing to send)"),
            lines.end());
    }
    EXPECT_TRUE(HasLine(
        lines, "file: " + (dir.path() / "two").string() + "\\nlines.hex (empty, nothing to send)"));
}

TEST_F(DeviceJobsTest, FlowControlBytesNeitherStopTheConsoleNorHideItsMarkers) {
    const std::string hex = tarvex::devsim::MakeIntelHex(20000);
    const tarvex::devsim::Bytes image(hex.begin(), hex.end());
    const std::wstring file = WriteFile("console.hex", image);
    Device console([&] {
        if (!line.WaitConfigured(115200, false, 10s))
            return tarvex::devsim::Outcome{false, "not set up"};
        line.Send("\x13!0");  // with XON/XOFF on, the tty would take 0x13 and hold every reply
        if (!line.Expect("#0", 5s)) return tarvex::devsim::Outcome{false, "no #0 after 0x13"};
        line.Send("!3\x11");
        if (!line.Expect("#1", 5s)) return tarvex::devsim::Outcome{false, "no #1"};
        line.Send("!6");
        if (!line.ReceiveCount(2000, 5s)) return tarvex::devsim::Outcome{false, "no image"};
        line.Send("\x13");  // in the middle of the image
        return line.ReceiveCount(image.size() - 2000, 10s)
                   ? tarvex::devsim::Outcome{true, {}}
                   : tarvex::devsim::Outcome{false, "the image stopped at a 0x13"};
    });
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    RunModal(dialog, [&] {
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, file);
        EXPECT_EQ(Status(dialog), L"Reprogramming of the Quorlex 2000 console complete.");
    });
    const tarvex::devsim::Outcome outcome = console.Join();
    EXPECT_TRUE(outcome.ok) << outcome.failure;
    EXPECT_EQ(line.Received(), tarvex::devsim::ExpectedConsoleBytes(image));
}

TEST_F(DeviceJobsTest, PortNamedWithBytesThatAreNotUtf8IsOpened) {
    const std::string link = (dir.path() / "tty").string() + "\xE9\xFF";
    ASSERT_EQ(symlink(line.PortPath().c_str(), link.c_str()), 0);
    const std::wstring file = WriteFile("console.hex", tarvex::devsim::Bytes{'A', 'B'});
    Device console([&] { return tarvex::devsim::PlayConsole(line, {}, 10s); });
    WatchedDialog dialog(std::vector<std::wstring>{tarvex::platform::FromSystemName(link)});
    RunModal(dialog, [&] {
        EXPECT_EQ(dialog.GetSelectedPortName(), tarvex::platform::FromSystemName(link))
            << "the menu gives the name back as the system gave it";
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, file);
        EXPECT_EQ(Status(dialog), L"Reprogramming of the Quorlex 2000 console complete.");
    });
    EXPECT_TRUE(console.Join().ok);
}

TEST_F(DeviceJobsTest, UpdatePressedAsTheControlsComeBackRunsAJob) {
    const std::wstring missing = (dir.path() / "missing.hex").wstring();
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    dialog.record.gapAfterEnable = 300ms;  // the job's end lingers after the controls are back
    RunModal(dialog, [&] {
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, missing);
        ASSERT_EQ(dialog.record.ends, 1);
        Click(dialog, IDC_UPDATE);  // while the first job is still ending
        EXPECT_TRUE(WaitUntil([&] { return dialog.record.ends == 2; }))
            << "the second Update's signal was lost";
        EXPECT_TRUE(WaitUntil([&] { return ControlWidget(dialog, IDC_UPDATE)->isEnabled(); }));
    });
}

TEST_F(DeviceJobsTest, CancelledJobHasNoThreadOfItsOwnToWaitFor) {
    const std::wstring file = WriteFile("console.hex", tarvex::devsim::Bytes{'x'});
    auto dialog = std::make_unique<WatchedDialog>(std::vector<std::wstring>{Port()});
    RunModal(*dialog, [&] {
        PressUpdate(*dialog, IDC_RADIO_OTHER_QX2000, file);
        ASSERT_TRUE(WaitUntil([&] { return line.WaitConfigured(115200, false, 1ms); }));
        dialog->EndDialog(IDCANCEL);  // ends without the close sequence, the job still waiting
    });
    const auto stops = dialog->stops;
    EXPECT_EQ(stops->all, 0) << "the job is still waiting for its console";
    dialog.reset();  // cancels the wait: the job ends and stops its own thread
    EXPECT_EQ(stops->all, 1);
    EXPECT_EQ(stops->withThreadHeld, 0) << "the job would wait 1000 ms for itself";
}

TEST_F(DeviceJobsTest, FifoAsFirmwareEndsTheJobQuietlyAndTheWindowCloses) {
    const auto fifo = dir.path() / "firmware.hex";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto dialog = std::make_unique<WatchedDialog>(std::vector<std::wstring>{Port()});
    RunModal(*dialog, [&] {
        RunJob(*dialog, IDC_RADIO_OTHER_QX2000, fifo.wstring());
        EXPECT_EQ(Status(*dialog), L"Verifying Communications Port...");
        MenuAction(*dialog, ID_FILE_EXIT)->trigger();
        EXPECT_TRUE(
            WaitUntil([&] { return !tarvex::platform::DialogWidget(*dialog)->isVisible(); }));
    });
    dialog.reset();
    EXPECT_FALSE(line.WaitConfigured(115200, false, 50ms)) << "the port was never set up";
}

// Ends the window at a random moment of a console job, in each of the ways a user can, and checks
// that the dialog always ends and goes within the bound.
TEST_F(DeviceJobsTest, EndingTheWindowAtARandomMomentOfAJobNeverHangs) {
    const std::string hex = tarvex::devsim::MakeIntelHex(30000);
    const std::wstring file =
        WriteFile("console.hex", tarvex::devsim::Bytes(hex.begin(), hex.end()));
    enum class Ending { Exit, Escape, Enter, CloseBox };
    std::mt19937 random(20261208);
    constexpr int kRuns = 16;
    for (int run = 0; run < kRuns; ++run) {
        const auto ending = static_cast<Ending>(run % 4);
        const auto delay = std::chrono::milliseconds(random() % 400);
        tarvex::devsim::DeviceLine runLine;
        tarvex::devsim::Faults faults;
        faults.lineRate = true;  // a transfer that takes a while, as on a real line
        Device console([&] { return tarvex::devsim::PlayConsole(runLine, faults, 5s); });
        auto dialog = std::make_unique<WatchedDialog>(
            std::vector<std::wstring>{tarvex::platform::WidenAnsi(runLine.PortPath())});
        std::chrono::steady_clock::time_point endedAt;
        RunModal(*dialog, [&] {
            PressUpdate(*dialog, IDC_RADIO_OTHER_QX2000, file);
            QTest::qWait(static_cast<int>(delay.count()));
            QDialog* window = tarvex::platform::DialogWidget(*dialog);
            endedAt = std::chrono::steady_clock::now();
            switch (ending) {
                case Ending::Exit:
                    MenuAction(*dialog, ID_FILE_EXIT)->trigger();
                    break;
                case Ending::Escape:
                    QTest::keyClick(window, Qt::Key_Escape);
                    break;
                case Ending::Enter:
                    ControlWidget(*dialog, IDC_RADIO_OTHER_QX2000)->setFocus();
                    QTest::keyClick(ControlWidget(*dialog, IDC_RADIO_OTHER_QX2000), Qt::Key_Return);
                    break;
                case Ending::CloseBox:
                    window->close();
                    break;
            }
            // Esc and Enter leave a running job alone; the user then closes the window.
            if (!WaitUntil([&] { return !window->isVisible(); }, 200)) window->close();
            EXPECT_TRUE(WaitUntil([&] { return !window->isVisible(); }, 3000)) << "run " << run;
        });
        dialog.reset();
        runLine.Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - endedAt, 7s) << "run " << run;
    }
}

TEST_F(DeviceJobsTest, SimulatorStartedAfterTheWindowIsOfferedWhenTheMenuOpens) {
    TempDir runtime;  // the user's runtime folder, where virtual ports are registered
    const std::string previous =
        std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    const std::wstring file = WriteFile("console.hex", tarvex::devsim::Bytes{'A', 'B'});
    auto simulator = std::make_unique<tarvex::devsim::DeviceLine>();
    const std::wstring simulated = tarvex::platform::FromSystemName(simulator->PortPath());
    auto listed = [](const CDialog& dialog, const std::wstring& name) {
        CMenu ports = dialog.GetMenu().GetSubMenu(2);
        for (int i = 0; i < ports.GetMenuItemCount(); ++i) {
            std::wstring text;
            ports.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
            if (text == name) return i;
        }
        return -1;
    };
    WatchedDialog dialog{LoaderDialog::PortTableReader(ReadSystemSerialPorts)};
    RunModal(dialog, [&] {
        EXPECT_EQ(listed(dialog, simulated), -1) << "not running yet";
        auto registration =
            std::make_unique<VirtualPortRegistration>(simulator->PortPath(), "console");
        emit MenuAt(dialog, 2)->aboutToShow();
        const int position = listed(dialog, simulated);
        ASSERT_GE(position, 0) << "offered once the menu opens";
        EXPECT_EQ(dialog.GetMenu().GetSubMenu(2).GetMenuItemTip(static_cast<UINT>(position),
                                                                MF_BYPOSITION),
                  L"console")
            << "what the simulator said it is, as the item's tip";
        MenuAction(dialog, kFirstPortCommand + static_cast<unsigned>(position))->trigger();
        EXPECT_EQ(dialog.GetSelectedPortName(), simulated);
        emit MenuAt(dialog, 2)->aboutToShow();
        EXPECT_EQ(dialog.GetSelectedPortName(), simulated) << "kept by name across a rebuild";

        Device console([&] { return tarvex::devsim::PlayConsole(*simulator, {}, 10s); });
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, file);
        EXPECT_EQ(Status(dialog), L"Reprogramming of the Quorlex 2000 console complete.");
        EXPECT_TRUE(console.Join().ok);

        // The simulator ends: its port is no longer listed, but the checked item stays checked
        // rather than the check moving to another device behind the technician's back.
        registration.reset();
        simulator.reset();
        emit MenuAt(dialog, 2)->aboutToShow();
        EXPECT_EQ(listed(dialog, simulated), position);
        EXPECT_EQ(dialog.GetSelectedPortName(), simulated);
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, file, 1);
        EXPECT_EQ(Status(dialog), L"Failed to Open Communications Port. Verify that " + simulated +
                                      L" is working properly.");
    });
    setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
}

TEST_F(DeviceJobsTest, EveryJobLeavesWhatHappenedOnTheWireInTheLog) {
    std::filesystem::remove_all(std::filesystem::path(std::getenv("XDG_STATE_HOME")) / "tarvex2");
    const std::wstring hex = WriteFile("console.hex", tarvex::devsim::Bytes{'a', 'b', 'c'});
    const tarvex::devsim::Bytes fud = tarvex::devsim::MakeFieldUpdate(2500);
    const std::wstring signFile = WriteFile("sign.fud", fud);
    tarvex::devsim::DeviceLine signLine;
    Device console([&] { return tarvex::devsim::PlayConsole(line, {}, 10s); });
    Device sign([&] { return tarvex::devsim::PlaySign(signLine, fud.size(), 0, {}, 10s); });
    WatchedDialog dialog(
        std::vector<std::wstring>{Port(), tarvex::platform::FromSystemName(signLine.PortPath())});
    RunModal(dialog, [&] {
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, hex);
        MenuAction(dialog, 501)->trigger();
        RunJob(dialog, IDC_RADIO_OTHER_TY5500, signFile, 1);
        MenuAction(dialog, 500)->trigger();
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, (dir.path() / "gone.hex").wstring(), 2);
    });
    EXPECT_TRUE(console.Join().ok);
    EXPECT_TRUE(sign.Join().ok);
    const std::vector<std::string> lines = JobLogLines();
    const std::string consolePort = line.PortPath();
    const std::vector<std::string> consoleJob = {
        "job: console reprogramming",
        "status: Verifying Communications Port...",
        "port: " + consolePort,
        "file: " + tarvex::platform::ToUtf8(hex) +
            " (3 bytes, sha256 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad)",
        "open: ok",
    };
    ASSERT_GE(lines.size(), consoleJob.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), consoleJob);
    EXPECT_TRUE(HasLine(lines, "received: \"!0\""));
    EXPECT_TRUE(HasLine(lines, "sent: \"#0\""));
    EXPECT_TRUE(HasLine(lines, "sent: \"#1\""));
    EXPECT_TRUE(HasLine(
        lines,
        "end: Reprogramming of the Quorlex 2000 console complete. (3 bytes of the file sent)"));
    EXPECT_TRUE(HasLine(lines, "job: field update"));
    EXPECT_TRUE(HasLine(lines, "port: " + signLine.PortPath()));
    EXPECT_TRUE(HasLine(lines, "sent: 2500 bytes of the file"));
    EXPECT_TRUE(HasLine(lines, "sent: \"}\"")) << "the end byte";
    EXPECT_TRUE(HasLine(lines, "received: \"!10\""));
    EXPECT_TRUE(HasLine(lines, "end: Received stop signal. (2500 bytes of the file sent)"));
    EXPECT_TRUE(HasLine(
        lines,
        "file: " + tarvex::platform::ToUtf8((dir.path() / "gone.hex").wstring()) + " (missing)"));
    EXPECT_EQ(lines.back(), "end: Verifying Communications Port... (0 bytes of the file sent)")
        << "the failed job says how it ended";
    // Each line names its job, as this process and the job's number, so that the jobs of
    // several copies of the program can be told apart.
    std::ifstream in(std::filesystem::path(std::getenv("XDG_STATE_HOME")) / "tarvex2" / "jobs.log");
    std::set<std::string> tags;
    const std::string process = "[" + std::to_string(getpid()) + ".";
    for (std::string text; std::getline(in, text);) {
        if (text.empty()) continue;
        ASSERT_EQ(text.compare(24, process.size(), process), 0) << text;
        tags.insert(text.substr(24, text.find("] ", 24) - 24));
    }
    EXPECT_EQ(tags.size(), 3u) << "three jobs";
}

// The firmware file changed while the job waits for the console to be switched on: the console
// gets the file as the job took it, never a mix or another file, and the log's size and digest
// are those of the bytes sent.
TEST_F(DeviceJobsTest, AFileChangedDuringTheWaitIsSentAsTheJobTookIt) {
    std::filesystem::remove_all(std::filesystem::path(std::getenv("XDG_STATE_HOME")) / "tarvex2");
    tarvex::devsim::Bytes original(70'000);
    for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<std::uint8_t>(i);
    const tarvex::devsim::Bytes other(120'000, 'x');
    const auto path = dir.path() / "changing.hex";
    const std::vector<std::pair<std::string, std::function<void()>>> changes = {
        {"rewritten in place", [&] { tarvex::devsim::WriteFirmwareFile(path, other); }},
        {"replaced by another file",
         [&] {
             tarvex::devsim::WriteFirmwareFile(dir.path() / "other.hex", other);
             std::filesystem::rename(dir.path() / "other.hex", path);
         }},
        {"truncated", [&] { std::filesystem::resize_file(path, 0); }},
    };
    const std::string digest =
        QCryptographicHash::hash(QByteArray(reinterpret_cast<const char*>(original.data()),
                                            static_cast<qsizetype>(original.size())),
                                 QCryptographicHash::Sha256)
            .toHex()
            .toStdString();
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    int jobs = 0;
    RunModal(dialog, [&] {
        for (const auto& [name, change] : changes) {
            tarvex::devsim::WriteFirmwareFile(path, original);
            dialog.record.onStatus = [&change](const std::wstring& text) {
                if (text.starts_with(L"Waiting for user to cycle power")) change();
            };
            Device console([&] { return tarvex::devsim::PlayConsole(line, {}, 10s, &original); });
            RunJob(dialog, IDC_RADIO_OTHER_QX2000, path.wstring(), jobs++);
            const tarvex::devsim::Outcome outcome = console.Join();
            EXPECT_TRUE(outcome.ok) << name << ": " << outcome.failure;
            EXPECT_EQ(Status(dialog), L"Reprogramming of the Quorlex 2000 console complete.")
                << name;
        }
    });
    const std::vector<std::string> lines = JobLogLines();
    const std::string fileLine = "file: " + tarvex::platform::ToUtf8(path.wstring()) + " (" +
                                 std::to_string(original.size()) + " bytes, sha256 " + digest + ")";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), fileLine), 3);
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "end: Reprogramming of the Quorlex 2000 console complete. (70000 bytes "
                         "of the file sent)"),
              3);
}

}  // namespace device_jobs_test

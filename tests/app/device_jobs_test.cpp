// The two device jobs end to end: the real main window on the offscreen platform, a real
// pseudo-terminal as the serial port, and the simulated console or sign at its far end.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <fstream>
#include <mutex>
#include <random>
#include <thread>

#include "app/loader_dialog.h"
#include "app/resource.h"
#include "firmware_file.h"
#include "platform/forwarding_serial_link.h"
#include "platform/text.h"
#include "platform/virtual_ports.h"
#include "simulators.h"
#include "support/dialog_driver.h"
#include "support/recording_message_box.h"
#include "support/working_directory.h"
#include "update/forwarding_job_host.h"

using tarvex::app::kFirstPortCommand;
using tarvex::platform::ForwardingSerialLink;
using tarvex::platform::ReadSystemSerialPorts;
using tarvex::platform::SerialPortList;
using tarvex::platform::VirtualPortRegistration;
using tarvex::update::ForwardingJobHost;
using tarvex::update::JobHost;

namespace {

using namespace std::chrono_literals;
using tarvex::platform::ControlWidget;

// What the tests see of a job: its status texts, progress positions and write sizes.
struct JobRecord {
    std::mutex mutex;
    std::vector<std::wstring> statuses;
    std::vector<std::int32_t> positions;
    std::vector<std::size_t> writes;
    std::atomic<int> ends{0};
    // Set by the test: how long the job lingers after giving the controls back.
    std::chrono::milliseconds gapAfterEnable{0};
    const CJobThread* worker = nullptr;
    // The job's StopThread calls, and those that found a thread to wait for; kept apart from
    // the dialog, because a cancelled job ends while the dialog goes.
    struct Stops {
        std::atomic<int> all{0};
        std::atomic<int> withThreadHeld{0};
    };
    std::shared_ptr<Stops> stops = std::make_shared<Stops>();

    template <typename T>
    void Add(std::vector<T>& list, T value) {
        std::lock_guard guard(mutex);
        list.push_back(std::move(value));
    }
    template <typename T>
    std::vector<T> Copy(const std::vector<T>& list) {
        std::lock_guard guard(mutex);
        return list;
    }
};

class RecordingLink : public ForwardingSerialLink {
  public:
    RecordingLink(std::unique_ptr<SerialLink> inner, JobRecord& record)
        : ForwardingSerialLink(std::move(inner)), record_(record) {}
    bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override {
        record_.Add(record_.writes, count);
        return ForwardingSerialLink::Write(bytes, count, written);
    }

  private:
    JobRecord& record_;
};

class RecordingHost : public ForwardingJobHost {
  public:
    RecordingHost(std::unique_ptr<JobHost> inner, JobRecord& record)
        : ForwardingJobHost(std::move(inner)), record_(record) {}
    std::unique_ptr<SerialLink> MakeLink() override {
        return std::make_unique<RecordingLink>(ForwardingJobHost::MakeLink(), record_);
    }
    void SetStatus(const std::wstring& text) override {
        record_.Add(record_.statuses, text);
        ForwardingJobHost::SetStatus(text);
    }
    void SetProgress(std::int32_t position) override {
        record_.Add(record_.positions, position);
        ForwardingJobHost::SetProgress(position);
    }
    void EnableControlsAfterJob() override {
        ForwardingJobHost::EnableControlsAfterJob();
        ++record_.ends;
        std::this_thread::sleep_for(record_.gapAfterEnable);
    }
    void StopWorker() override {
        ++record_.stops->all;
        if (record_.worker->ThreadHandle() != nullptr) ++record_.stops->withThreadHeld;
        ForwardingJobHost::StopWorker();
    }

  private:
    JobRecord& record_;
};

class WatchedDialog : public LoaderDialog {
  public:
    using LoaderDialog::m_bStepProgress;
    using LoaderDialog::m_progress;

    explicit WatchedDialog(SerialPortList ports)
        : LoaderDialog(nullptr, [ports] { return ports; }) {
        record.worker = this;
    }
    explicit WatchedDialog(PortTableReader readPorts) : LoaderDialog(nullptr, readPorts) {
        record.worker = this;
    }
    ~WatchedDialog() override { EndJobs(); }
    std::unique_ptr<JobHost> MakeJobHost(HANDLE jobEvent) override {
        return std::make_unique<RecordingHost>(LoaderDialog::MakeJobHost(jobEvent), record);
    }
    JobRecord record;
};

class DeviceJobsTest : public testing::Test {
  protected:
    // Writes a firmware file into the temporary directory and returns its path.
    std::wstring WriteFile(const std::string& name, const tarvex::devsim::Bytes& bytes) {
        const auto path = dir.path() / name;
        tarvex::devsim::WriteFirmwareFile(path, bytes);
        return path.wstring();
    }

    // Chooses a custom setup type with `file` and presses Update.
    static void PressUpdate(WatchedDialog& dialog, int radioId, const std::wstring& file) {
        Click(dialog, radioId);
        qobject_cast<QLineEdit*>(ControlWidget(dialog, IDC_CUSTOM_FILE))
            ->setText(QString::fromStdWString(file));
        Click(dialog, IDC_UPDATE);
    }

    // Chooses a custom setup type with `file`, presses Update and waits for the job's end.
    void RunJob(WatchedDialog& dialog, int radioId, const std::wstring& file, int endsBefore = 0) {
        PressUpdate(dialog, radioId, file);
        ASSERT_TRUE(WaitUntil([&] { return dialog.record.ends > endsBefore; }, 30000));
        ASSERT_TRUE(WaitUntil([&] { return ControlWidget(dialog, IDC_UPDATE)->isEnabled(); }));
    }

    std::wstring Status(const CDialog& dialog) {
        return qobject_cast<QLabel*>(ControlWidget(dialog, IDC_STATUS))->text().toStdWString();
    }

    std::wstring Port() const { return tarvex::platform::WidenAnsi(line.PortPath()); }

    ScopedWorkingDirectory dir;  // the firmware files and the settings file go there
    tarvex::devsim::DeviceLine line;
};

// Plays a device on its own thread for the length of a test.
class Device {
  public:
    explicit Device(std::function<tarvex::devsim::Outcome()> play)
        : thread_([this, play] { outcome_ = play(); }) {}
    ~Device() { Join(); }
    tarvex::devsim::Outcome Join() {
        if (thread_.joinable()) thread_.join();
        return outcome_;
    }

  private:
    tarvex::devsim::Outcome outcome_;
    std::thread thread_;
};

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
    EXPECT_EQ(dialog.record.Copy(dialog.record.statuses),
              (std::vector<std::wstring>{
                  L"Verifying Communications Port...",
                  L"Waiting for user to cycle power to Quorlex 2000 console...To cancel the "
                  L"update, exit and restart the Tarvex2 software.",
                  L"Configuring Quorlex 2000 Console for reprogramming...To cancel the update, "
                  L"exit and restart the Tarvex2 software.",
                  L"Erasing Quorlex 2000 Console Flash Memory...",
                  L"Reprogramming the Quorlex 2000 console...",
                  L"Reprogramming of the Quorlex 2000 console complete.",
              }));
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

TEST_F(DeviceJobsTest, EmptyFilesAreSentCompletely) {
    const std::wstring hex = WriteFile("empty.hex", {});
    const std::wstring fud = WriteFile("empty.fud", {});
    tarvex::devsim::DeviceLine consoleLine;
    Device console([&] {
        consoleLine.WaitConfigured(115200, false, 10s);
        consoleLine.Send("!0");
        consoleLine.Expect("#0", 5s);
        consoleLine.Send("!3");
        consoleLine.Expect("#1", 5s);
        consoleLine.Send("!6");
        const bool sentMore = consoleLine.ReceiveCount(1, 300ms);
        return tarvex::devsim::Outcome{!sentMore, sentMore ? "bytes after !6" : ""};
    });
    Device sign([&] { return tarvex::devsim::PlaySign(line, 0, 0, {}, 10s); });
    WatchedDialog dialog(
        std::vector<std::wstring>{Port(), tarvex::platform::WidenAnsi(consoleLine.PortPath())});
    RunModal(dialog, [&] {
        RunJob(dialog, IDC_RADIO_OTHER_TY5500, fud);
        EXPECT_EQ(Status(dialog), L"Received stop signal.");
        MenuAction(dialog, 501)->trigger();
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, hex, 1);
        EXPECT_EQ(Status(dialog), L"Reprogramming of the Quorlex 2000 console complete.");
    });
    EXPECT_TRUE(sign.Join().ok);
    EXPECT_EQ(line.Received(), tarvex::devsim::Bytes{0x7D}) << "the end byte alone";
    const tarvex::devsim::Outcome consoleOutcome = console.Join();
    EXPECT_TRUE(consoleOutcome.ok) << consoleOutcome.failure;
    EXPECT_EQ(consoleLine.Received(), (tarvex::devsim::Bytes{'#', '0', '#', '1'}))
        << "no image bytes";
    const auto statuses = dialog.record.Copy(dialog.record.statuses);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(),
                        L"Field update complete.  Waiting for retry or stop..."),
              statuses.end());
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
    const auto stops = dialog->record.stops;
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
    const std::wstring simulated = tarvex::platform::FromSystemName(line.PortPath());
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
        auto registration = std::make_unique<VirtualPortRegistration>(line.PortPath(), "console");
        emit MenuAt(dialog, 2)->aboutToShow();
        const int position = listed(dialog, simulated);
        ASSERT_GE(position, 0) << "offered once the menu opens";
        MenuAction(dialog, kFirstPortCommand + static_cast<unsigned>(position))->trigger();
        EXPECT_EQ(dialog.GetSelectedPortName(), simulated);
        emit MenuAt(dialog, 2)->aboutToShow();
        EXPECT_EQ(dialog.GetSelectedPortName(), simulated) << "kept by name across a rebuild";

        Device console([&] { return tarvex::devsim::PlayConsole(line, {}, 10s); });
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, file);
        EXPECT_EQ(Status(dialog), L"Reprogramming of the Quorlex 2000 console complete.");
        EXPECT_TRUE(console.Join().ok);

        registration.reset();  // the simulator ends
        emit MenuAt(dialog, 2)->aboutToShow();
        EXPECT_EQ(listed(dialog, simulated), -1) << "gone with the simulator";
        EXPECT_NE(dialog.GetSelectedPortName(), simulated);
    });
    setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
}

// The lines of the job log, without their times.
std::vector<std::string> JobLogLines() {
    std::ifstream in(std::filesystem::path(std::getenv("XDG_STATE_HOME")) / "tarvex2" / "jobs.log");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > 24) lines.push_back(line.substr(24));  // "2026-12-09 01:10:22.123 "
    }
    return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& wanted) {
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
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
    EXPECT_TRUE(
        HasLine(lines, "file: " + tarvex::platform::ToUtf8((dir.path() / "gone.hex").wstring()) +
                           " (cannot be read)"));
    EXPECT_EQ(lines.back(), "end: Verifying Communications Port... (0 bytes of the file sent)")
        << "the failed job says how it ended";
}

}  // namespace

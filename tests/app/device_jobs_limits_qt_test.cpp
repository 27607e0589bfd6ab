// The device jobs at the edges of what they can do: a console that hangs up while the image is
// still in the port's buffer, a device that never stops talking, files too large to send.
#include <QCryptographicHash>

#include "device_jobs_fixture.h"
#include "update/job_log.h"

namespace device_jobs_test {

namespace {

std::filesystem::path JobLogPath() {
    return std::filesystem::path(std::getenv("XDG_STATE_HOME")) / "tarvex2" / "jobs.log";
}

std::vector<std::string> LogLines() {
    std::ifstream in(JobLogPath());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A custom firmware file of `bytes` bytes that takes no room on the disk.
std::wstring SparseFile(const std::filesystem::path& path, std::uintmax_t bytes) {
    std::ofstream{path};
    std::filesystem::resize_file(path, bytes);
    return path.wstring();
}

}  // namespace

// The file fits in the line's buffer, so the last write returns before the device has it; the
// device hangs up after 100 bytes. Only the drain tells: it runs once the device has hung up.
class HangUpBeforeDrainTest : public DeviceJobsTest {
  protected:
    // Runs a job of the custom type `radioId` on `file` while `play` plays the device; returns
    // the status line the job ended with.
    std::wstring StatusAfterTheHangUp(const std::function<tarvex::devsim::Outcome()>& play,
                                      int radioId, const std::wstring& file) {
        std::atomic<bool> hungUp{false};
        Device device([&] {
            auto outcome = play();
            hungUp = true;
            return outcome;
        });
        WatchedDialog dialog(std::vector<std::wstring>{Port()});
        dialog.record.beforeDrain = [&] {
            while (!hungUp) std::this_thread::sleep_for(1ms);
        };
        std::wstring status;
        RunModal(dialog, [&] {
            RunJob(dialog, radioId, file);
            status = Status(dialog);
        });
        device.Join();
        return status;
    }
    tarvex::devsim::Faults HangUpAfter100() const {
        tarvex::devsim::Faults faults;
        faults.hangUpAfter = 100;
        return faults;
    }
};

TEST_F(HangUpBeforeDrainTest, ConsoleThatHangsUpBeforeTheImageIsSentIsAFailedTransfer) {
    const std::wstring hex = WriteFile("short.hex", tarvex::devsim::Bytes(11 * 1024, 'A'));
    EXPECT_EQ(StatusAfterTheHangUp(
                  [&] { return tarvex::devsim::PlayConsole(line, HangUpAfter100(), 10s); },
                  IDC_RADIO_OTHER_QX2000, hex),
              L"An error occurred while programming the Quorlex 2000 console.  Please try "
              L"again.");
}

TEST_F(HangUpBeforeDrainTest, SignThatHangsUpBeforeTheFileIsSentIsAFailedTransfer) {
    const tarvex::devsim::Bytes fud = tarvex::devsim::MakeFieldUpdate(900);
    const std::wstring file = WriteFile("short.fud", fud);
    EXPECT_EQ(
        StatusAfterTheHangUp(
            [&] { return tarvex::devsim::PlaySign(line, fud.size(), 0, HangUpAfter100(), 10s); },
            IDC_RADIO_OTHER_TY5500, file),
        L"An error occurred while sending the field update.  Please try again.");
}

// Noise on the line while the job waits for the console: the log keeps what it can hold of the
// job and says what it left out; the job itself goes on and completes.
TEST_F(DeviceJobsTest, ADeviceThatNeverStopsTalkingCannotFillTheDisk) {
    std::filesystem::remove_all(JobLogPath().parent_path());
    const tarvex::devsim::Bytes image(5000, 'B');
    const std::wstring hex = WriteFile("noisy.hex", image);
    constexpr std::size_t kNoiseBytes = 3 * 1024 * 1024;
    Device console([&] {
        if (!line.WaitConfigured(115200, false, 10s)) return tarvex::devsim::Outcome{};
        for (std::size_t sent = 0; sent < kNoiseBytes; sent += 1000) {
            if (!line.Send(std::string(1000, '\x01'))) return tarvex::devsim::Outcome{};
            line.ClearReceived();
        }
        line.Send("!6");
        return tarvex::devsim::Outcome{line.ReceiveCount(image.size(), 10s), {}};
    });
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    RunModal(dialog, [&] {
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, hex);
        EXPECT_EQ(Status(dialog), L"Reprogramming of the Quorlex 2000 console complete.");
    });
    EXPECT_TRUE(console.Join().ok);
    const auto size = std::filesystem::file_size(JobLogPath());
    EXPECT_LE(size, tarvex::update::JobLogHost::kMostBytesPerJob + 1024);
    const std::vector<std::string> lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("end: Reprogramming of the Quorlex 2000 console complete. (5000 "
                                "bytes of the file sent; "),
              std::string::npos)
        << lines.back();
    EXPECT_NE(lines.back().find(" lines left out of the log, with "), std::string::npos);
}

// Files a job cannot send end it at once, as a file that cannot be opened does: nothing is read,
// no failure box, the controls come back, and the log gives the file's true size.
TEST_F(DeviceJobsTest, FilesTooLargeToSendEndTheJobAtOnceWithoutReadingThem) {
    std::filesystem::remove_all(JobLogPath().parent_path());
    RecordingMessageBox boxes;
    const std::uintmax_t hundredGigabytes = 100ULL << 30;
    const std::uintmax_t fourAndAHalf = 9ULL << 29;
    const std::wstring huge = SparseFile(dir.path() / "huge.hex", hundredGigabytes);
    const std::wstring large = SparseFile(dir.path() / "large.fud", fourAndAHalf);
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    RunModal(dialog, [&] {
        const auto started = std::chrono::steady_clock::now();
        RunJob(dialog, IDC_RADIO_OTHER_QX2000, huge);
        EXPECT_EQ(Status(dialog), L"Verifying Communications Port...");
        RunJob(dialog, IDC_RADIO_OTHER_TY5500, large, 1);
        EXPECT_EQ(Status(dialog), L"Verifying Communications Port...");
        EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "nothing was read";
    });
    EXPECT_TRUE(boxes.Boxes().empty());
    const std::vector<std::string> lines = LogLines();
    auto logged = [&](const std::wstring& file, std::uintmax_t bytes) {
        const std::string wanted = tarvex::platform::ToUtf8(file) + " (" + std::to_string(bytes) +
                                   " bytes, more than a job can send)";
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& text) {
            return text.ends_with("file: " + wanted);
        });
    };
    EXPECT_TRUE(logged(huge, hundredGigabytes));
    EXPECT_TRUE(logged(large, fourAndAHalf));
}

// A file within the limit is hashed whole, in pieces: its size and digest are the file's.
TEST_F(DeviceJobsTest, TheLogNamesAFileByItsWholeSizeAndDigest) {
    std::filesystem::remove_all(JobLogPath().parent_path());
    tarvex::devsim::Bytes bytes(3 * 1024 * 1024 + 17);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    const std::wstring file = WriteFile("hashed.hex", bytes);
    Device console([&] { return tarvex::devsim::PlayConsole(line, {}, 10s, &bytes); });
    WatchedDialog dialog(std::vector<std::wstring>{Port()});
    RunModal(dialog, [&] { RunJob(dialog, IDC_RADIO_OTHER_QX2000, file); });
    EXPECT_TRUE(console.Join().ok);
    const std::string wanted =
        tarvex::platform::ToUtf8(file) + " (" + std::to_string(bytes.size()) + " bytes, sha256 " +
        QCryptographicHash::hash(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                            static_cast<qsizetype>(bytes.size())),
                                 QCryptographicHash::Sha256)
            .toHex()
            .toStdString() +
        ")";
    const std::vector<std::string> lines = LogLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [&](const std::string& text) { return text.ends_with(wanted); }));
}

}  // namespace device_jobs_test

namespace device_jobs_test {

// The job log says in words how a job ended: by the window's closing, not by an error number.
TEST_F(DeviceJobsTest, AJobEndedByClosingTheWindowIsLoggedSo) {
    std::filesystem::remove_all(JobLogPath().parent_path());
    const std::wstring hex = WriteFile("waiting.hex", tarvex::devsim::Bytes(100, 'C'));
    {
        WatchedDialog dialog(std::vector<std::wstring>{Port()});
        RunModal(dialog, [&] {
            PressUpdate(dialog, IDC_RADIO_OTHER_QX2000, hex);
            ASSERT_TRUE(WaitUntil([&] { return Status(dialog).starts_with(L"Waiting for user"); }));
        });
    }  // the window goes while the job waits for the console
    const std::vector<std::string> lines = LogLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& text) {
        return text.ends_with(" line: ended by closing the window");
    }));
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& text) {
        return text.find("error 125") != std::string::npos;
    }));
}

}  // namespace device_jobs_test

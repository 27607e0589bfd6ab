// The two device jobs as a Windows program runs them: a COM port that Wine maps to the
// simulator's pseudo-terminal (jobs_on_a_com_port.sh starts the simulator and names the port and
// the firmware file in TARVEX_PORT and TARVEX_FIRMWARE), with no window: the host records what
// the window would have shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "platform/serial/forwarding_serial_link.h"
#include "platform/serial/link_errors.h"
#include "platform/serial/serial_port.h"
#include "platform/text.h"
#include "support/console_statuses.h"
#include "update/console_job.h"
#include "update/job_host.h"
#include "update/sign_job.h"

namespace {

std::wstring Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? tarvex::platform::WidenAnsi(value) : std::wstring();
}

// What the job's writes moved, and how the first failed one failed, in the log's words.
struct LinkRecord {
    std::size_t written = 0;
    std::string failure;
};

class RecordingLink final : public tarvex::platform::ForwardingSerialLink {
  public:
    RecordingLink(std::unique_ptr<SerialLink> inner, LinkRecord& record)
        : ForwardingSerialLink(std::move(inner)), record_(record) {}
    bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override {
        const bool ok = ForwardingSerialLink::Write(bytes, count, written);
        record_.written += written;
        if (!ok && record_.failure.empty()) {
            record_.failure =
                Cancelled() ? "cancelled"
                            : tarvex::platform::DescribeLinkError(
                                  L"", LastError(), tarvex::platform::LinkStep::kTransferring);
        }
        return ok;
    }

  private:
    LinkRecord& record_;
};

class RecordingHost final : public tarvex::update::JobHost {
  public:
    std::wstring SelectedPortName() override { return Environment("TARVEX_PORT"); }
    std::optional<std::wstring> FirmwarePath() override { return Environment("TARVEX_FIRMWARE"); }
    std::unique_ptr<SerialLink> MakeLink() override {
        return std::make_unique<RecordingLink>(tarvex::platform::MakeSerialPort(cancellation_),
                                               link);
    }
    void SetStatus(const std::wstring& text) override {
        statuses.push_back(text);
        if (onStatus) onStatus(text);
    }
    void SetStepProgress(bool) override {}
    void BeginConsoleProgress(std::int32_t) override {}
    void BeginSignProgress(std::int32_t length) override { signLength = length; }
    void SetProgress(std::int32_t position) override { positions.push_back(position); }
    void FillProgress() override { filled = true; }
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
    void FirmwareFileRefused(const std::wstring&, const std::string& why) override {
        refusal = why;
    }
    void EnableControlsAfterJob() override { ++ends; }
    void ResetJobEvent() override {}
    void StopWorker() override {}

    void Cancel() { cancellation_->Cancel(); }

    std::function<void(const std::wstring&)> onStatus;
    LinkRecord link;
    std::vector<std::wstring> statuses;
    std::vector<std::int32_t> positions;
    std::vector<std::wstring> messages;
    std::string refusal;
    std::int32_t signLength = 0;
    bool filled = false;
    int ends = 0;

  private:
    std::shared_ptr<tarvex::platform::Cancellation> cancellation_ =
        std::make_shared<tarvex::platform::Cancellation>();
};

class JobsOnAComPort : public testing::Test {
  protected:
    void SetUp() override {
        if (Environment("TARVEX_PORT").empty()) {
            GTEST_SKIP() << "run by jobs_on_a_com_port.sh, which starts the simulator";
        }
    }
    RecordingHost host;
};

TEST_F(JobsOnAComPort, ConsoleIsReprogrammed) {
    EXPECT_TRUE(tarvex::update::RunConsoleReprogramming(host));
    EXPECT_EQ(host.statuses, kConsoleUpdateStatuses);
    EXPECT_TRUE(host.filled);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.ends, 1);
}

// The console drops the line in the middle of the image: the job says so and ends, and the log
// would say the line was dropped, not that the window closed.
TEST_F(JobsOnAComPort, ConsoleThatHangsUpFailsTheJob) {
    tarvex::update::RunConsoleReprogramming(host);
    ASSERT_FALSE(host.statuses.empty());
    EXPECT_EQ(host.statuses.back(),
              L"An error occurred while programming the Quorlex 2000 console.  Please try again.");
    EXPECT_FALSE(host.filled);
    EXPECT_EQ(host.ends, 1);
    EXPECT_EQ(host.link.failure, "the line was dropped (unplugged, or the device hung up)");
}

// The console drops the line while the job waits for it to be switched on (the script ends the
// simulator once the job says it waits): the wait ends, since the port no longer answers, and
// the job with it.
TEST_F(JobsOnAComPort, ConsoleThatHangsUpDuringTheWaitEndsTheJob) {
    host.onStatus = [](const std::wstring& text) {
        if (text.starts_with(L"Waiting for user")) {
            std::FILE* waiting = _wfopen(Environment("TARVEX_WAITING_FILE").c_str(), L"w");
            if (waiting != nullptr) std::fclose(waiting);
        }
    };
    tarvex::update::RunConsoleReprogramming(host);
    EXPECT_EQ(host.statuses.back().rfind(L"Waiting for user to cycle power", 0), 0u);
    EXPECT_EQ(host.ends, 1);
}

// The window closes in the middle of a transfer the console takes at the line's rate: the job
// ends as cancelled, and what the completed writes moved is counted.
TEST_F(JobsOnAComPort, ACancelledTransferCountsWhatWentOut) {
    std::thread canceller;
    host.onStatus = [&](const std::wstring& text) {
        if (text == L"Reprogramming the Quorlex 2000 console...") {
            canceller = std::thread([this] {
                std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                host.Cancel();
            });
        }
    };
    tarvex::update::RunConsoleReprogramming(host);
    if (canceller.joinable()) canceller.join();
    EXPECT_EQ(host.link.failure, "cancelled");
    EXPECT_GT(host.link.written, 4096u) << "a second and a half at 115200 baud";
    EXPECT_LT(host.link.written, 400000u);
    EXPECT_EQ(host.ends, 1);
}

// The sign holds the line with XOFF for a while and asks twice; both times the file goes out
// whole, in 1024-byte blocks, and the stop signal ends the job.
TEST_F(JobsOnAComPort, SignGetsTheFieldUpdateEachTimeItAsks) {
    EXPECT_TRUE(tarvex::update::RunFieldUpdate(host));
    ASSERT_GE(host.statuses.size(), 3u);
    EXPECT_EQ(host.statuses[0], L"Verifying Communications Port...");
    EXPECT_EQ(host.statuses[1], L"Waiting for the update process to start on the Tessary.");
    EXPECT_EQ(host.statuses.back(), L"Received stop signal.");
    EXPECT_EQ(std::count(host.statuses.begin(), host.statuses.end(),
                         L"Field update complete.  Waiting for retry or stop..."),
              2);
    EXPECT_GT(host.signLength, 2048);
    EXPECT_EQ(host.positions.back(), host.signLength);
    EXPECT_TRUE(host.messages.empty());
}

// A port name that Wine has no device for (the script names COM199): the job's own failure text,
// naming the port.
TEST_F(JobsOnAComPort, MissingPortIsNamedInTheStatusLine) {
    EXPECT_FALSE(tarvex::update::RunConsoleReprogramming(host));
    EXPECT_EQ(host.statuses.back(),
              L"Failed to Open Communications Port. Verify that COM199 is working properly.");
}

// An empty firmware file ends either job at once, before the port is opened (the script names a
// port Wine has no device for, whose failure would show) and before any marker is answered.
TEST_F(JobsOnAComPort, EmptyFileEndsTheJobBeforeThePortIsOpened) {
    EXPECT_TRUE(tarvex::update::RunConsoleReprogramming(host));
    EXPECT_TRUE(tarvex::update::RunFieldUpdate(host));
    EXPECT_EQ(host.statuses, (std::vector<std::wstring>{L"Verifying Communications Port...",
                                                        L"Verifying Communications Port..."}));
    EXPECT_EQ(host.refusal, "empty, nothing to send");
    EXPECT_EQ(host.ends, 2);
}

}  // namespace

// The two device jobs with no window, against the simulator on the far end of a real line:
// device_jobs.sh starts the simulator for each test and names the port and the firmware file in
// TARVEX_PORT and TARVEX_FIRMWARE (on Linux the simulator's pseudo-terminal, on Windows a COM
// port that Wine maps to it). The host records what the window would have shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/text.h"
#include "support/console_statuses.h"
#include "support/recording_job_host.h"
#include "update/console_job.h"
#include "update/sign_job.h"

namespace {

std::wstring Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? tarvex::platform::WidenAnsi(value) : std::wstring();
}

class JobsWithoutAWindow : public testing::Test {
  protected:
    void SetUp() override {
        if (Environment("TARVEX_PORT").empty()) {
            GTEST_SKIP() << "run by device_jobs.sh, which starts the simulator";
        }
    }
    std::shared_ptr<tarvex::platform::Cancellation> cancellation =
        std::make_shared<tarvex::platform::Cancellation>();
    JobRecord record;
    RecordingJobHost host{
        std::make_unique<WindowlessJobHost>(Environment("TARVEX_PORT"),
                                            Environment("TARVEX_FIRMWARE"), cancellation),
        record};
};

TEST_F(JobsWithoutAWindow, ConsoleIsReprogrammed) {
    EXPECT_TRUE(tarvex::update::RunConsoleReprogramming(host));
    EXPECT_EQ(record.statuses, kConsoleUpdateStatuses);
    EXPECT_TRUE(record.filled);
    EXPECT_TRUE(record.messages.empty());
    EXPECT_EQ(record.ends, 1);
}

// The console drops the line in the middle of the image: the job says so and ends, and the log
// would say the line was dropped, not that the window closed.
TEST_F(JobsWithoutAWindow, ConsoleThatHangsUpFailsTheJob) {
    tarvex::update::RunConsoleReprogramming(host);
    ASSERT_FALSE(record.statuses.empty());
    EXPECT_EQ(record.statuses.back(),
              L"An error occurred while programming the Quorlex 2000 console.  Please try again.");
    EXPECT_FALSE(record.filled);
    EXPECT_EQ(record.ends, 1);
    EXPECT_EQ(record.linkFailure, "the line was dropped (unplugged, or the device hung up)");
}

// The console drops the line while the job waits for it to be switched on (the script ends the
// simulator once the job says it waits): the wait ends, since the port no longer answers, and
// the job with it.
TEST_F(JobsWithoutAWindow, ConsoleThatHangsUpDuringTheWaitEndsTheJob) {
    record.onStatus = [](const std::wstring& text) {
        if (text.starts_with(L"Waiting for user")) {
            std::ofstream(std::getenv("TARVEX_WAITING_FILE"));
        }
    };
    tarvex::update::RunConsoleReprogramming(host);
    EXPECT_EQ(record.statuses.back().rfind(L"Waiting for user to cycle power", 0), 0u);
    EXPECT_EQ(record.ends, 1);
}

// The window closes in the middle of a transfer the console takes at the line's rate: the job
// ends as cancelled, and what the completed writes moved is counted.
TEST_F(JobsWithoutAWindow, ACancelledTransferCountsWhatWentOut) {
    std::thread canceller;
    record.onStatus = [&](const std::wstring& text) {
        if (text == L"Reprogramming the Quorlex 2000 console...") {
            canceller = std::thread([this] {
                std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                cancellation->Cancel();
            });
        }
    };
    tarvex::update::RunConsoleReprogramming(host);
    if (canceller.joinable()) canceller.join();
    EXPECT_EQ(record.linkFailure, "cancelled");
    EXPECT_GT(record.written, 4096u) << "a second and a half at 115200 baud";
    EXPECT_LT(record.written, 400000u);
    EXPECT_EQ(record.ends, 1);
}

// The sign holds the line with XOFF for a while and asks twice; both times the file goes out
// whole, in 1024-byte blocks, and the stop signal ends the job.
TEST_F(JobsWithoutAWindow, SignGetsTheFieldUpdateEachTimeItAsks) {
    EXPECT_TRUE(tarvex::update::RunFieldUpdate(host));
    ASSERT_GE(record.statuses.size(), 3u);
    EXPECT_EQ(record.statuses[0], L"Verifying Communications Port...");
    EXPECT_EQ(record.statuses[1], L"Waiting for the update process to start on the Tessary.");
    EXPECT_EQ(record.statuses.back(), L"Received stop signal.");
    EXPECT_EQ(std::count(record.statuses.begin(), record.statuses.end(),
                         L"Field update complete.  Waiting for retry or stop..."),
              2);
    EXPECT_GT(record.signLength, 2048);
    EXPECT_EQ(record.positions.back(), record.signLength);
    EXPECT_TRUE(record.messages.empty());
}

// A port the system has no device for (the script names one): the job's own failure text, naming
// the port.
TEST_F(JobsWithoutAWindow, MissingPortIsNamedInTheStatusLine) {
    EXPECT_FALSE(tarvex::update::RunConsoleReprogramming(host));
    EXPECT_EQ(record.statuses.back(), L"Failed to Open Communications Port. Verify that " +
                                          Environment("TARVEX_PORT") + L" is working properly.");
}

// An empty firmware file ends either job at once, before the port is opened (the script names a
// port the system has no device for, whose failure would show) and before any marker is answered.
TEST_F(JobsWithoutAWindow, EmptyFileEndsTheJobBeforeThePortIsOpened) {
    EXPECT_TRUE(tarvex::update::RunConsoleReprogramming(host));
    EXPECT_TRUE(tarvex::update::RunFieldUpdate(host));
    EXPECT_EQ(record.statuses, (std::vector<std::wstring>{L"Verifying Communications Port...",
                                                          L"Verifying Communications Port..."}));
    EXPECT_EQ(record.refusal, "empty, nothing to send");
    EXPECT_EQ(record.ends, 2);
}

}  // namespace

// What the wait for a byte makes of its one-byte reads, against a port double.
#include "platform/serial/byte_wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;
using tarvex::platform::ByteWaitEnd;
using tarvex::platform::ByteWaitSteps;
using tarvex::platform::WaitForByte;

// A port whose reads give what the test says, each after `readTakes`.
class PortDouble final : public ByteWaitSteps {
  public:
    Read ReadOne(std::uint8_t& byte) override {
        ++reads;
        std::this_thread::sleep_for(readTakes);
        if (bytesAfter > 0 && reads.load() > bytesAfter) {
            byte = 'x';
            return Read::kByte;
        }
        return readFails ? Read::kFailed : Read::kEmpty;
    }
    bool PortAnswers() override {
        ++questions;
        return answers;
    }
    bool Pause(std::chrono::milliseconds pause) override {
        pauses += pause;
        const auto end = std::chrono::steady_clock::now() + pause;
        while (std::chrono::steady_clock::now() < end) {
            if (cancelled) return false;
            std::this_thread::sleep_for(1ms);
        }
        return !cancelled;
    }

    std::chrono::milliseconds readTakes{0};
    int bytesAfter = 0;  // the reads after this many bring a byte (0: none ever does)
    bool readFails = false;
    bool answers = true;
    std::atomic<bool> cancelled{false};
    std::atomic<int> reads{0};
    std::atomic<int> questions{0};
    std::chrono::milliseconds pauses{0};
};

// A driver that completes every read at once and empty, on a port that still answers: the wait
// goes on until it is cancelled, and reads a few dozen times a second, not millions.
TEST(ByteWait, EarlyEmptyReadsOnAPortThatAnswersNeitherEndTheWaitNorSpin) {
    PortDouble port;
    std::uint8_t byte = 0;
    auto wait = std::async(std::launch::async,
                           [&] { return WaitForByte(port, std::chrono::minutes(1), byte); });
    EXPECT_EQ(wait.wait_for(1s), std::future_status::timeout) << "the wait must go on";
    const int reads = port.reads;
    port.cancelled = true;
    EXPECT_EQ(wait.get(), ByteWaitEnd::kFailed) << "ended by the cancellation";
    EXPECT_GT(reads, 5);
    EXPECT_LT(reads, 1s / tarvex::platform::kEarlyEmptyReadPause + 5);
    EXPECT_GE(port.questions, reads - 1);
}

// The same early empty read on a port that no longer answers is a hang-up, at once.
TEST(ByteWait, AnEarlyEmptyReadOnAPortThatNoLongerAnswersIsAHangUp) {
    PortDouble port;
    port.answers = false;
    std::uint8_t byte = 0;
    EXPECT_EQ(WaitForByte(port, std::chrono::minutes(1), byte), ByteWaitEnd::kHungUp);
    EXPECT_EQ(port.reads, 1);
    EXPECT_EQ(port.pauses, 0ms);
}

// Reads that end at their time-out are read again without a question or a pause; the byte that
// comes is the wait's; a failed read fails the wait.
TEST(ByteWait, TimedOutReadsAreReadAgainAndTheByteEndsTheWait) {
    PortDouble port;
    port.readTakes = 15ms;  // more than half of the time-out below
    port.bytesAfter = 3;
    port.answers = false;
    std::uint8_t byte = 0;
    EXPECT_EQ(WaitForByte(port, 20ms, byte), ByteWaitEnd::kByte);
    EXPECT_EQ(byte, 'x');
    EXPECT_EQ(port.reads, 4);
    EXPECT_EQ(port.questions, 0);

    PortDouble failing;
    failing.readFails = true;
    EXPECT_EQ(WaitForByte(failing, 20ms, byte), ByteWaitEnd::kFailed);
    EXPECT_EQ(failing.reads, 1);
}

}  // namespace

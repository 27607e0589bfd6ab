// The device simulator as an independent check: with the file it expects, it rejects an image
// that was cut off or changed, and says what differs.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <future>
#include <thread>

#include "platform/serial/forwarding_serial_link.h"
#include "platform/serial/serial_port.h"
#include "platform/text.h"
#include "simulators.h"
#include "test_images.h"
#include "update/link_profile.h"

using tarvex::update::kConsoleProfile;
using tarvex::update::kSignProfile;

namespace {

using namespace std::chrono_literals;
using tarvex::platform::Cancellation;

// The program's side of the line, played by hand: answers the markers in order, then sends
// `image` (for the sign, then the end byte) and closes the port.
class ProgramSide {
  public:
    ProgramSide(tarvex::devsim::DeviceLine& line, bool sign)
        : port_(tarvex::platform::MakeSerialPort(std::make_shared<Cancellation>())) {
        ok_ = port_.Open(tarvex::platform::FromSystemName(line.PortPath())) &&
              port_.ReadSettings() && port_.ApplySettings(sign ? kSignProfile : kConsoleProfile) &&
              port_.SetEventMask(EV_RXCHAR);
    }
    // Waits for `marker`, then writes `reply`.
    bool Answer(const std::string& marker, const tarvex::devsim::Bytes& reply) {
        std::string seen;
        while (seen.find(marker) == std::string::npos) {
            DWORD events = 0;
            if (!port_.WaitForEvent(events)) return false;
            std::uint8_t chunk[64];
            const std::size_t count = port_.ReadAvailable(chunk, sizeof chunk);
            seen.append(reinterpret_cast<char*>(chunk), count);
        }
        std::size_t written = 0;
        return port_.Write(reply.data(), reply.size(), written);
    }
    bool ok() const { return ok_; }
    void Close() { port_.Close(); }

  private:
    tarvex::platform::ForwardingSerialLink port_;
    bool ok_ = false;
};

tarvex::devsim::Bytes Text(const std::string& text) { return {text.begin(), text.end()}; }

TEST(Simulator, ConsoleAcceptsOnlyTheExpectedImage) {
    const std::string hex = tarvex::devsim::MakeIntelHex(5000);
    const tarvex::devsim::Bytes image(hex.begin(), hex.end());
    tarvex::devsim::Bytes corrupted = image;
    corrupted[1234] ^= 0x20;
    const tarvex::devsim::Bytes truncated(image.begin(), image.begin() + 3000);
    const std::vector<std::pair<tarvex::devsim::Bytes, std::string>> cases = {
        {image, ""},
        {corrupted, "byte 1234 is"},
        {truncated, "3000 of " + std::to_string(image.size()) + " bytes received"},
    };
    for (const auto& [sent, failure] : cases) {
        tarvex::devsim::DeviceLine line;
        auto console = std::async(
            std::launch::async, [&] { return tarvex::devsim::PlayConsole(line, {}, 3s, &image); });
        ProgramSide program(line, false);
        ASSERT_TRUE(program.ok());
        ASSERT_TRUE(program.Answer("!0", Text("#0")));
        ASSERT_TRUE(program.Answer("!3", Text("#1")));
        ASSERT_TRUE(program.Answer("!6", sent));
        const tarvex::devsim::Outcome outcome = console.get();
        EXPECT_EQ(outcome.ok, failure.empty()) << outcome.failure;
        EXPECT_NE(outcome.failure.find(failure), std::string::npos) << outcome.failure;
    }
}

TEST(Simulator, SignChecksEachTransmissionAndStaysUntilThePortCloses) {
    const tarvex::devsim::Bytes file = tarvex::devsim::MakeFieldUpdate(3000);
    tarvex::devsim::Bytes good = file;
    good.push_back(0x7D);
    tarvex::devsim::Bytes bad = good;
    bad[2999] ^= 1;
    for (const bool corrupt : {false, true}) {
        tarvex::devsim::DeviceLine line;
        auto sign = std::async(std::launch::async,
                               [&] { return tarvex::devsim::PlaySign(line, 0, 0, {}, 3s, &file); });
        ProgramSide program(line, true);
        ASSERT_TRUE(program.ok());
        ASSERT_TRUE(program.Answer("!0", corrupt ? bad : good));
        if (!corrupt) {
            ASSERT_TRUE(program.Answer("!10", {}));  // the stop arrives before any hang-up
            EXPECT_EQ(sign.wait_for(200ms), std::future_status::timeout)
                << "the sign stays connected while the port is open";
            program.Close();
        }
        const tarvex::devsim::Outcome outcome = sign.get();
        EXPECT_EQ(outcome.ok, !corrupt) << outcome.failure;
        if (corrupt) {
            EXPECT_NE(outcome.failure.find("byte 2999 is"), std::string::npos);
        }
    }
}

TEST(Simulator, DifferenceSaysWhatDiffers) {
    EXPECT_EQ(tarvex::devsim::Difference(Text("abc"), Text("abc")), "");
    EXPECT_EQ(tarvex::devsim::Difference(Text("ab"), Text("abc")),
              "2 of 3 bytes received: cut off at byte 2");
    EXPECT_EQ(tarvex::devsim::Difference(Text("abcd"), Text("abc")),
              "4 bytes received, 1 more than expected");
    EXPECT_EQ(tarvex::devsim::Difference(Text("aXc"), Text("abc")),
              "byte 1 is 0x58, expected 0x62 (3 bytes received of 3)");
}

// A program killed while it holds the port (kill -9) cannot clear the port's exclusive mode: the
// simulator does, once the program's side has closed, so that the next ordinary user can open it.
TEST(Simulator, APortLeftExclusiveByAKilledProgramIsFreedAgain) {
    tarvex::devsim::DeviceLine line;
    const pid_t program = fork();
    if (program == 0) {
        tarvex::platform::ForwardingSerialLink port(
            tarvex::platform::MakeSerialPort(std::make_shared<Cancellation>()));
        if (!port.Open(tarvex::platform::FromSystemName(line.PortPath()))) _exit(1);
        raise(SIGKILL);  // Close never runs
    }
    int status = 0;
    waitpid(program, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(line.WaitProgramClosed(2s));
    line.ForgetEarlierReleases();
    const int fd = open(line.PortPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    int exclusive = 1;
    ASSERT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "an ordinary user's open would fail with EBUSY";
    close(fd);
    EXPECT_TRUE(line.WaitProgramClosed(2s)) << "the test's own open and close are counted too";
}

// A device reading at the line's speed is still taking in what the port held when the program
// closes it, and the next job's program can open the port before the device looks again: the
// device sees that the first let go and that the next holds the port, and waits for the next.
TEST(Simulator, AProgramThatLetGoIsSeenEvenWhenTheNextOpenedThePortMeanwhile) {
    tarvex::devsim::DeviceLine line;
    line.ForgetEarlierReleases();
    const int first = open(line.PortPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(first, 0);
    close(first);
    const int next = open(line.PortPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(next, 0);
    EXPECT_TRUE(line.WaitProgramClosed(2s)) << "the first program's close was missed";
    EXPECT_TRUE(line.WaitProgramOpened(2s));

    line.ForgetEarlierReleases();
    EXPECT_FALSE(line.WaitProgramClosed(100ms)) << "the next program still holds the port";
    close(next);
    EXPECT_TRUE(line.WaitProgramClosed(2s));
}

}  // namespace

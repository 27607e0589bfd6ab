// The benchmarks' marker rounds refuse rounds that are out of step with the program: a reply
// left in the line from before, a reply given twice, a wrong reply, none at all.
#include "marker_rounds.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/serial/forwarding_serial_link.h"
#include "platform/serial/serial_port.h"
#include "platform/text.h"
#include "update/link_profile.h"

namespace {

using namespace std::chrono_literals;
using tarvex::devsim::DeviceLine;
using tarvex::devsim::kConsoleMarkerReplies;
using tarvex::devsim::TimeMarkerRounds;

enum class Answers { InStep, Twice, AlwaysHashZero, Never };

// A program on the line that answers the console's markers as `answers` says, having first
// sent `ahead` unasked.
class Program {
  public:
    Program(DeviceLine& line, Answers answers, std::string ahead = "")
        : port_(tarvex::platform::MakeSerialPort(cancellation_)) {
        EXPECT_TRUE(port_.Open(tarvex::platform::FromSystemName(line.PortPath())) &&
                    port_.ReadSettings() && port_.ApplySettings(tarvex::update::kConsoleProfile) &&
                    port_.SetEventMask(EV_RXCHAR));
        Write(ahead);
        thread_ = std::thread([this, answers] { Serve(answers); });
        line.WaitConfigured(115200, false, 5s);
    }
    ~Program() {
        cancellation_->Cancel();
        thread_.join();
    }

  private:
    void Serve(Answers answers) {
        std::string seen;
        DWORD events = 0;
        while (port_.WaitForEvent(events)) {
            std::uint8_t chunk[64];
            seen.append(reinterpret_cast<char*>(chunk), port_.ReadAvailable(chunk, sizeof chunk));
            for (std::size_t at;
                 (at = seen.find('!')) != std::string::npos && seen.size() > at + 1;) {
                const char digit = seen[at + 1];
                seen.erase(0, at + 2);
                const std::string reply = answers == Answers::AlwaysHashZero ? "#0"
                                          : digit == '0'                     ? "#0"
                                                                             : "#1";
                if (answers == Answers::Never) continue;
                Write(reply);
                if (answers == Answers::Twice) Write(reply);
            }
        }
    }
    void Write(const std::string& text) {
        std::size_t written = 0;
        if (!text.empty()) {
            port_.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), written);
        }
    }

    std::shared_ptr<tarvex::platform::Cancellation> cancellation_ =
        std::make_shared<tarvex::platform::Cancellation>();
    tarvex::platform::ForwardingSerialLink port_;
    std::thread thread_;
};

TEST(MarkerRounds, RoundsInStepAreAllTimed) {
    DeviceLine line;
    Program program(line, Answers::InStep);
    const auto times = TimeMarkerRounds(line, kConsoleMarkerReplies, 20, 2s);
    EXPECT_TRUE(times.InStep()) << times.fault;
    ASSERT_EQ(times.microseconds.size(), 20u);
    for (double us : times.microseconds) EXPECT_GT(us, 0);
}

TEST(MarkerRounds, RoundsOutOfStepWithTheProgramAreRefused) {
    {
        DeviceLine line;
        Program program(line, Answers::InStep, "#0");  // a reply left from an earlier round
        std::this_thread::sleep_for(50ms);
        const auto times = TimeMarkerRounds(line, kConsoleMarkerReplies, 20, 2s);
        EXPECT_FALSE(times.InStep());
        EXPECT_EQ(times.fault, "round 1 (\"!0\"): \"#0\" was waiting before the marker went");
        EXPECT_TRUE(times.microseconds.empty());
    }
    {
        DeviceLine line;
        Program program(line, Answers::Twice);
        const auto times = TimeMarkerRounds(line, kConsoleMarkerReplies, 20, 2s);
        EXPECT_FALSE(times.InStep()) << "the second reply is a stray one, or taken as the next";
        EXPECT_LT(times.microseconds.size(), 20u);
    }
    {
        DeviceLine line;
        Program program(line, Answers::AlwaysHashZero);
        const auto times = TimeMarkerRounds(line, kConsoleMarkerReplies, 20, 2s);
        EXPECT_EQ(times.fault, "round 2 (\"!3\"): \"#0\" where \"#1\" was due");
        EXPECT_EQ(times.microseconds.size(), 1u);
    }
    {
        DeviceLine line;
        Program program(line, Answers::Never);
        const auto times = TimeMarkerRounds(line, kConsoleMarkerReplies, 20, 200ms);
        EXPECT_EQ(times.fault, "round 1 (\"!0\"): no reply where \"#0\" was due");
    }
}

}  // namespace

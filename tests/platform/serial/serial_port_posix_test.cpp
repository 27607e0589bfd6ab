// The termios serial port against a pseudo-terminal, with the simulator's line at the far end.
#include "platform/serial/forwarding_serial_link.h"
#include "platform/serial/serial_port.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <future>
#include <thread>

#include "device_line.h"
#include "platform/serial/link_errors.h"
#include "platform/text.h"
#include "support/temp_dir.h"
#include "test_images.h"
#include "update/link_profile.h"

using tarvex::update::kConsoleProfile;
using tarvex::update::kSignProfile;

namespace {

using namespace std::chrono_literals;
using tarvex::platform::Cancellation;

const LinkProfile kConsole = kConsoleProfile;
const LinkProfile kSign = kSignProfile;

class SerialPortTest : public testing::Test {
  protected:
    std::wstring Path() const { return tarvex::platform::WidenAnsi(line.PortPath()); }
    bool SetUpPort(const LinkProfile& settings) {
        return port.Open(Path()) && port.ReadSettings() && port.ApplySettings(settings) &&
               port.SetEventMask(EV_RXCHAR) && port.ReadTimeouts() && port.ApplyTimeouts();
    }

    tarvex::devsim::DeviceLine line;
    std::shared_ptr<Cancellation> cancellation = std::make_shared<Cancellation>();
    tarvex::platform::ForwardingSerialLink port{tarvex::platform::MakeSerialPort(cancellation)};
};

TEST_F(SerialPortTest, OpensExclusivelyAndNeverTouchesTheName) {
    EXPECT_FALSE(port.Open(L""));
    EXPECT_FALSE(port.Open(Path() + L" ")) << "no trimming";
    ASSERT_TRUE(port.Open(Path()));
    tarvex::platform::ForwardingSerialLink second(tarvex::platform::MakeSerialPort(cancellation));
    EXPECT_FALSE(second.Open(Path())) << "held by this program already";
    port.Close();
    EXPECT_TRUE(second.Open(Path()));
}

TEST_F(SerialPortTest, PortHeldByAnotherProgramDoesNotOpen) {
    const int other = open(line.PortPath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(port.Open(Path()));
    close(other);
}

TEST_F(SerialPortTest, ProfilesChangeOnlyTheirFieldsInRawMode) {
    ASSERT_TRUE(SetUpPort(kSign));
    EXPECT_TRUE(line.WaitConfigured(19200, true, 1s)) << "raw, 19200, XON/XOFF without IXANY";
    port.Close();

    // The line keeps the sign's settings, but the console's profile builds on raw mode, which
    // has XON/XOFF off: a stray 0x13 must never stop the image.
    tarvex::platform::ForwardingSerialLink console(tarvex::platform::MakeSerialPort(cancellation));
    ASSERT_TRUE(console.Open(Path()) && console.ReadSettings());
    ASSERT_TRUE(console.ApplySettings(kConsole));
    EXPECT_TRUE(line.WaitConfigured(115200, false, 1s));
    LinkProfile unknownSpeed = kConsoleProfile;
    unknownSpeed.BaudRate = 12345;
    EXPECT_FALSE(console.ApplySettings(unknownSpeed)) << "no such speed";
}

TEST_F(SerialPortTest, WaitSleepsUntilBytesComeAndReadsTakeThemAtOnce) {
    ASSERT_TRUE(SetUpPort(kConsole));
    std::uint8_t buffer[1000];
    EXPECT_EQ(port.ReadAvailable(buffer, sizeof buffer), 0u) << "nothing there: returns at once";
    auto waiter = std::async(std::launch::async, [&] {
        DWORD events = 0;
        const bool ok = port.WaitForEvent(events);
        return ok ? events : 0u;
    });
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(line.Send(std::string("!0\0\r\n", 5)));
    EXPECT_EQ(waiter.get(), EV_RXCHAR);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(port.ReadAvailable(buffer, sizeof buffer), 5u) << "raw: no mapping of CR or LF";
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), std::string("!0\0\r\n", 5));
}

TEST_F(SerialPortTest, HangUpAndCancellationEndTheWaitAndTheWrite) {
    ASSERT_TRUE(SetUpPort(kConsole));
    auto waiter = std::async(std::launch::async, [&] {
        DWORD events = 0;
        return port.WaitForEvent(events);
    });
    std::this_thread::sleep_for(50ms);
    line.HangUp();
    EXPECT_FALSE(waiter.get()) << "a hang-up fails the wait";
    std::size_t written = 0;
    const std::uint8_t byte = 'x';
    EXPECT_FALSE(port.Write(&byte, 1, written));
    EXPECT_NE(port.LastError(), 0u);
    EXPECT_FALSE(port.Cancelled()) << "a hang-up is no cancellation";

    tarvex::devsim::DeviceLine silent;
    tarvex::platform::ForwardingSerialLink other(tarvex::platform::MakeSerialPort(cancellation));
    ASSERT_TRUE(other.Open(tarvex::platform::WidenAnsi(silent.PortPath())) &&
                other.ReadSettings() && other.ApplySettings(kConsole) &&
                other.SetEventMask(EV_RXCHAR));
    auto cancelled = std::async(std::launch::async, [&] {
        DWORD events = 0;
        return other.WaitForEvent(events);
    });
    std::this_thread::sleep_for(50ms);
    cancellation->Cancel();
    EXPECT_FALSE(cancelled.get());
    EXPECT_TRUE(other.Cancelled());
}

// Another program left hardware and software handshaking on: with CTS low on a three-wire
// cable the first would hold every write for ever, the second every byte after a 0x13.
TEST_F(SerialPortTest, HandshakingLeftOnByAnotherProgramIsSwitchedOff) {
    const int other = open(line.PortPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    termios before{};
    ASSERT_EQ(tcgetattr(other, &before), 0);
    before.c_cflag |= CRTSCTS;
    before.c_iflag |= IXON | IXOFF;
    ASSERT_EQ(tcsetattr(other, TCSANOW, &before), 0);
    ASSERT_EQ(tcgetattr(other, &before), 0);
    ASSERT_TRUE(before.c_cflag & CRTSCTS) << "the pseudo-terminal keeps the flag to look at";
    ASSERT_TRUE(SetUpPort(kConsole));
    termios after{};
    ASSERT_EQ(tcgetattr(other, &after), 0);
    EXPECT_FALSE(after.c_cflag & CRTSCTS);
    EXPECT_FALSE(after.c_iflag & (IXON | IXOFF));
    close(other);
}

TEST_F(SerialPortTest, DrainEndsWithTheOutputAndFailsOnHangUpOrCancellation) {
    ASSERT_TRUE(SetUpPort(kConsole));
    const tarvex::devsim::Bytes bytes(500, 'z');
    std::size_t written = 0;
    ASSERT_TRUE(port.Write(bytes.data(), bytes.size(), written));
    EXPECT_TRUE(port.Drain()) << "a live line";
    ASSERT_TRUE(line.ReceiveCount(bytes.size(), 1s));
    line.HangUp();
    EXPECT_FALSE(port.Drain()) << "the device hung up before it had everything";
    EXPECT_EQ(port.LastError(), static_cast<std::uint32_t>(EIO));

    tarvex::devsim::DeviceLine other;
    tarvex::platform::ForwardingSerialLink second(tarvex::platform::MakeSerialPort(cancellation));
    ASSERT_TRUE(second.Open(tarvex::platform::WidenAnsi(other.PortPath())));
    cancellation->Cancel();
    EXPECT_FALSE(second.Drain());
    EXPECT_EQ(second.LastError(), static_cast<std::uint32_t>(ECANCELED));
    tarvex::platform::ForwardingSerialLink closed(
        tarvex::platform::MakeSerialPort(std::make_shared<Cancellation>()));
    EXPECT_FALSE(closed.Drain());
}

TEST_F(SerialPortTest, XoffHoldsTheWriterAndXonLetsItGoOn) {
    ASSERT_TRUE(SetUpPort(kSign));
    ASSERT_TRUE(line.Send("\x13"));
    std::this_thread::sleep_for(20ms);
    const tarvex::devsim::Bytes file = tarvex::devsim::MakeFieldUpdate(3000);
    std::atomic<bool> done{false};
    auto writer = std::async(std::launch::async, [&] {
        std::size_t written = 0;
        const bool ok = port.Write(file.data(), file.size(), written);
        done = true;
        return ok && written == file.size();
    });
    EXPECT_FALSE(line.ReceiveCount(1, 200ms)) << "nothing passes while XOFF holds";
    EXPECT_FALSE(done);
    ASSERT_TRUE(line.Send("\x11"));
    ASSERT_TRUE(line.ReceiveCount(file.size(), 5s));
    EXPECT_TRUE(writer.get());
    EXPECT_EQ(line.Received(), file) << "XON and XOFF themselves never reach the program";
}

TEST_F(SerialPortTest, ClosingLetsTheNextOrdinaryUserOpenThePort) {
    // Another process keeps the tty open (the simulator holds the master; a second program may
    // hold the port): the exclusive mode must not outlive this program's use of it.
    const int other = open(line.PortPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_TRUE(port.Open(Path()));
    int exclusive = 0;
    ASSERT_EQ(ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1) << "held for this program alone while open";
    port.Close();
    ASSERT_EQ(ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "an ordinary user's open would fail with EBUSY";
    close(other);
}

TEST_F(SerialPortTest, PortNameThatIsNotUtf8ReachesTheDevice) {
    TempDir dir;
    const std::string link = dir.path().string() + "/tty\xE9\xFF";
    ASSERT_EQ(symlink(line.PortPath().c_str(), link.c_str()), 0);
    const std::wstring name = tarvex::platform::FromSystemName(link);
    EXPECT_EQ(tarvex::platform::ToSystemName(name), link);
    ASSERT_TRUE(port.Open(name));
    ASSERT_TRUE(port.ReadSettings() && port.ApplySettings(kConsole));
    EXPECT_TRUE(line.WaitConfigured(115200, false, 1s));
}

}  // namespace

namespace {

// The job log's words for a port's failures: a port this user may not open names its group; a
// port whose device has gone is a dropped line once it carries a job.
TEST(LinkErrors, FailuresAreSaidInWords) {
    using tarvex::platform::DescribeLinkError;
    constexpr auto kOpening = tarvex::platform::LinkStep::kOpening;
    constexpr auto kTransferring = tarvex::platform::LinkStep::kTransferring;
    TempDir dir;
    const auto port = dir.path() / "ttyS9";
    std::ofstream{port};
    chmod(port.c_str(), 0660);
    struct stat info {};
    ASSERT_EQ(stat(port.c_str(), &info), 0);
    const group* owner = getgrgid(info.st_gid);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(DescribeLinkError(port.wstring(), EACCES, kOpening),
              std::string("permission denied: the user is not in the group that owns the port, ") +
                  owner->gr_name);
    EXPECT_EQ(DescribeLinkError(L"/dev/ttyNONE", ENOENT, kOpening), "there is no such port");
    EXPECT_EQ(DescribeLinkError(port.wstring(), EBUSY, kOpening),
              "the port is in use by another program");
    const std::string dropped = "the line was dropped (unplugged, or the device hung up)";
    EXPECT_EQ(DescribeLinkError(port.wstring(), EIO, kTransferring), dropped);
    EXPECT_EQ(DescribeLinkError(port.wstring(), ENXIO, kTransferring), dropped);
    EXPECT_EQ(DescribeLinkError(port.wstring(), ENXIO, kOpening), "there is no such port");
}

}  // namespace

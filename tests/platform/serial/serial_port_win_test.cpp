// The Windows serial port without a device behind it: what is no port is refused at the open,
// in the job log's words, and a port that did not open fails every call instead of touching a
// handle. (The jobs over a COM port that Wine links to the simulator: tests/update.)
#include "platform/serial/serial_port.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/serial/link_errors.h"
#include "platform/win32.h"
#include "support/temp_dir.h"

namespace {

using tarvex::platform::Cancellation;
using tarvex::platform::DescribeLinkError;
using tarvex::platform::LinkStep;
using tarvex::platform::MakeSerialPort;

std::string OpenFailure(const std::wstring& name) {
    auto port = MakeSerialPort(std::make_shared<Cancellation>());
    if (port->Open(name)) return "opened";
    return DescribeLinkError(name, port->LastError(), LinkStep::kOpening);
}

TEST(SerialPortWin, WhatIsNoPortIsRefusedAtTheOpen) {
    const std::string noSuchPort = "there is no such port";
    EXPECT_EQ(OpenFailure(L""), noSuchPort);
    EXPECT_EQ(OpenFailure(L"COM199"), noSuchPort) << "no device of that name";

    // A file on the disk, named in the namespace a port's name may take: it opens as a file, but
    // does not answer as a serial port does.
    TempDir dir;
    const auto file = dir.path() / "Quorlex2000.hex";
    std::ofstream(file) << "firmware";
    const std::wstring fileName = L"\\\\?\\" + file.wstring();
    const HANDLE opened = CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(opened, INVALID_HANDLE_VALUE) << "the name reaches the file";
    CloseHandle(opened);
    EXPECT_EQ(OpenFailure(fileName), noSuchPort);

    // A pipe is no port either.
    const std::wstring pipe = L"\\\\.\\pipe\\tarvex-serial-port-test";
    const HANDLE server =
        CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 2, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenFailure(pipe), noSuchPort);
    CloseHandle(server);
}

TEST(SerialPortWin, APortThatDidNotOpenFailsEveryCall) {
    auto port = MakeSerialPort(std::make_shared<Cancellation>());
    ASSERT_FALSE(port->Open(L"COM199"));
    EXPECT_FALSE(port->ReadSettings());
    EXPECT_FALSE(port->SetEventMask(EV_RXCHAR));
    std::uint32_t events = 0;
    EXPECT_FALSE(port->WaitForEvent(events));
    std::uint8_t byte = 0;
    EXPECT_EQ(port->ReadAvailable(&byte, 1), 0u);
    std::size_t written = 1;
    EXPECT_FALSE(port->Write(&byte, 1, written));
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(port->Drain());
    port->Close();
    port->Close();  // twice is harmless
}

}  // namespace

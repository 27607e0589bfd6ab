// Firmware files on Windows: devices and pipes are refused without a wait.
#include "platform/exclusive_file.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using tarvex::platform::ExclusiveFile;

TEST(ExclusiveFile, DevicesAndPipesAreRefusedAndNothingBlocks) {
    ExclusiveFile file;
    EXPECT_FALSE(file.Open(L"NUL")) << "a device";
    const std::wstring pipe =
        L"\\\\.\\pipe\\tarvex2-firmware-test-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE server =
        CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file.Open(pipe)) << "a pipe that a program serves";
    EXPECT_FALSE(file.IsOpen());
    CloseHandle(server);
}

}  // namespace

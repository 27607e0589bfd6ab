// Firmware and settings files on Windows: devices and pipes are refused without a wait; a file
// another program holds for a moment (a virus scanner reading a file just written) is waited for.
#include "platform/files/exclusive_file.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "platform/files/file.h"
#include "support/file_modes.h"
#include "support/temp_dir.h"

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

// Another program holds the file without sharing for `held`, from the moment this returns.
std::thread HoldFor(const std::wstring& path, std::chrono::milliseconds held) {
    const HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(holder, INVALID_HANDLE_VALUE);
    return std::thread([holder, held] {
        std::this_thread::sleep_for(held);
        CloseHandle(holder);
    });
}

TEST(ExclusiveFile, AFileHeldForAMomentIsWaitedForAndOneHeldLongerIsInUse) {
    using namespace std::chrono_literals;
    TempDir dir;
    const std::wstring firmware = (dir.path() / "Quorlex2000.hex").wstring();
    const std::wstring settings = (dir.path() / "Tarvex2.cfg").wstring();
    std::ofstream(dir.path() / "Quorlex2000.hex") << "image";
    std::ofstream(dir.path() / "Tarvex2.cfg") << "settings";

    ExclusiveFile file;
    std::thread scanner = HoldFor(firmware, 300ms);
    EXPECT_TRUE(file.Open(firmware)) << file.Refusal();
    scanner.join();
    file.Close();
    scanner = HoldFor(settings, 300ms);
    CFile saved;
    EXPECT_TRUE(saved.Open(settings.c_str(), kCreate));
    scanner.join();
    saved.Write("new", 3);
    saved.Close();

    // Held past the wait: refused while the other program still has it.
    scanner = HoldFor(firmware, 3000ms);
    EXPECT_FALSE(file.Open(firmware));
    EXPECT_EQ(file.Refusal(), "in use by another program");
    scanner.join();
}

}  // namespace

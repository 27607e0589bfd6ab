// Firmware files on Linux: FIFOs and devices are refused without a wait in open(), and a file
// larger than the memory the program may have is refused before it is read.
#include "platform/files/exclusive_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace {

using tarvex::platform::ExclusiveFile;

TEST(ExclusiveFile, FifosAndDevicesAreRefusedAndNothingBlocks) {
    TempDir dir;
    const auto fifo = dir.path() / "firmware.hex";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ExclusiveFile file;
    EXPECT_FALSE(file.Open(fifo.wstring())) << "a FIFO with no writer: refused, not waited on";
    EXPECT_FALSE(file.Open(L"/dev/null")) << "a device";
    EXPECT_FALSE(file.IsOpen());
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)  // they map vast shadows
TEST(ExclusiveFile, FilesLargerThanTheProgramsMemoryAreRefused) {
    TempDir dir;
    const auto large = dir.path() / "large.hex";
    std::ofstream{large};
    std::filesystem::resize_file(large, 1536ULL << 20);
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{1ULL << 30, 1ULL << 30};  // a program that may have 1 GiB
        setrlimit(RLIMIT_AS, &limit);
        ExclusiveFile inChild;
        _exit(inChild.Open(large.wstring()) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "1.5 GiB opened in 1 GiB";
}
#endif

}  // namespace

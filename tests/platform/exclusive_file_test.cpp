// Firmware files as the jobs open them: regular files only, for this program alone, and never a
// wait in open().
#include "platform/exclusive_file.h"

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

TEST(ExclusiveFile, OnlyRegularFilesOpenAndNothingBlocks) {
    TempDir dir;
    const auto fifo = dir.path() / "firmware.hex";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ExclusiveFile file;
    EXPECT_FALSE(file.Open(fifo.wstring())) << "a FIFO with no writer: refused, not waited on";
    EXPECT_FALSE(file.Open(dir.path().wstring())) << "a directory";
    EXPECT_FALSE(file.Open((dir.path() / "missing.hex").wstring()));
    EXPECT_FALSE(file.Open(L"/dev/null")) << "a device";
    EXPECT_FALSE(file.IsOpen());

    const auto regular = dir.path() / "image.fud";
    std::ofstream(regular, std::ios::binary) << "ED-123456";
    ASSERT_TRUE(file.Open(regular.wstring()));
    EXPECT_EQ(file.Length(), 9);
    std::vector<std::uint8_t> image;
    ASSERT_TRUE(file.ReadAll(image));
    EXPECT_EQ(std::string(image.begin(), image.end()), "ED-123456");
    ExclusiveFile second;
    EXPECT_FALSE(second.Open(regular.wstring())) << "held by the first";
    file.Close();
    EXPECT_TRUE(second.Open(regular.wstring()));
}

// A file the job could not hold in memory, or could not count in 32 bits, is refused at once.
TEST(ExclusiveFile, FilesTooLargeToSendAreRefusedWithoutBeingRead) {
    TempDir dir;
    const auto huge = dir.path() / "huge.hex";
    std::ofstream{huge};
    std::filesystem::resize_file(huge, ExclusiveFile::kMostBytes + 1);
    ExclusiveFile file;
    EXPECT_FALSE(file.Open(huge.wstring()));

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)  // they map vast shadows
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
#endif
}

}  // namespace

// Firmware files as the jobs open them: regular files only, for this program alone, and never a
// wait in open().
#include "platform/exclusive_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

}  // namespace

// Firmware files as the jobs open them, on both systems: existing regular files only, for this
// program alone, and none longer than a job can send.
#include "platform/files/exclusive_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace {

using tarvex::platform::ExclusiveFile;

TEST(ExclusiveFile, RegularFilesOpenForThisProgramAlone) {
    TempDir dir;
    ExclusiveFile file;
    EXPECT_FALSE(file.Open(dir.path().wstring())) << "a directory";
    EXPECT_FALSE(file.Open((dir.path() / "missing.hex").wstring()));
    EXPECT_EQ(file.Refusal(), "missing");
    EXPECT_FALSE(file.Open(L""));
    EXPECT_FALSE(file.IsOpen());

    const auto regular = dir.path() / "image.fud";
    std::ofstream(regular, std::ios::binary) << "ED-123456";
    ASSERT_TRUE(file.Open(regular.wstring()));
    EXPECT_EQ(file.Refusal(), "");
    EXPECT_EQ(file.Length(), 9);
    std::vector<std::uint8_t> image;
    ASSERT_TRUE(file.ReadAll(image));
    EXPECT_EQ(std::string(image.begin(), image.end()), "ED-123456");
    std::vector<std::uint8_t> start;
    ASSERT_TRUE(file.ReadStart(2, start));
    EXPECT_EQ(std::string(start.begin(), start.end()), "ED");
    ExclusiveFile second;
    EXPECT_FALSE(second.Open(regular.wstring())) << "held by the first";
    EXPECT_EQ(second.Refusal(), "in use by another program");
    file.Close();
    EXPECT_TRUE(second.Open(regular.wstring()));
}

// A file whose length a job could not count in 32 bits is refused at once.
TEST(ExclusiveFile, FilesTooLargeToSendAreRefusedWithoutBeingRead) {
    TempDir dir;
    const auto huge = dir.path() / "huge.hex";
    std::ofstream{huge};
    std::filesystem::resize_file(huge, ExclusiveFile::kMostBytes + 1);
    ExclusiveFile file;
    EXPECT_FALSE(file.Open(huge.wstring()));
    EXPECT_EQ(file.Refusal(),
              std::to_string(ExclusiveFile::kMostBytes + 1) + " bytes, more than a job can send");
}

}  // namespace

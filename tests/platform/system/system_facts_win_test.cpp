// This computer's facts for the System Information report, from Windows' own sources.
#include "platform/system/system_facts.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemFacts, WindowsAnswersEveryQuestionOfTheReport) {
    const auto facts = tarvex::platform::MakeSystemFacts();
    EXPECT_FALSE(facts->UserName().value_or(L"").empty());

    const auto disk = facts->Disk();
    ASSERT_TRUE(disk.has_value());
    EXPECT_GT(disk->totalBytes, 0u);
    EXPECT_LE(disk->freeBytes, disk->totalBytes);
    // The volume's free bytes, not the caller's (which Wine takes from the blocks left to users).
    ULARGE_INTEGER total{};
    ULARGE_INTEGER totalFree{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(nullptr, nullptr, &total, &totalFree));
    EXPECT_NEAR(static_cast<double>(disk->freeBytes), static_cast<double>(totalFree.QuadPart),
                64.0 * (1 << 20));

    const auto memory = facts->Memory();
    EXPECT_GT(memory.totalPhys, 0u);
    EXPECT_LE(memory.availPhys, memory.totalPhys);

    // The true version, not the one GetVersionExW gives a program without a manifest.
    const auto version = facts->Version();
    EXPECT_EQ(version.platformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_GE(version.major, 6u);
    EXPECT_FALSE(version.productName.empty());
    EXPECT_GT(facts->ProcessorLevel(), 0);

    const auto services = facts->SubKeys(L"SYSTEM\\CurrentControlSet\\Services");
    ASSERT_TRUE(services.has_value());
    EXPECT_FALSE(services->empty());
    EXPECT_TRUE(
        facts->Value(L"Hardware\\Description\\System\\CentralProcessor\\0", L"ProcessorNameString")
            .has_value());
    EXPECT_FALSE(facts->SubKeys(L"SOFTWARE\\No Such Key Of Tarvex2").has_value());
    EXPECT_FALSE(facts->Value(L"SOFTWARE\\No Such Key Of Tarvex2", L"Name").has_value());
}

}  // namespace

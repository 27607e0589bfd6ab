// This computer's facts for the System Information report, against what the system says.
#include "platform/system_facts.h"

#include <gtest/gtest.h>

#include <sys/statvfs.h>

namespace {

// The free space is what the user can still write, as df shows it: the blocks the file system
// keeps for root are not the user's to use.
TEST(SystemFacts, FreeDiskSpaceIsWhatTheUserMayWrite) {
    const auto facts = tarvex::platform::MakeSystemFacts();
    const auto disk = facts->Disk();
    struct statvfs volume {};
    ASSERT_EQ(statvfs(".", &volume), 0);
    ASSERT_TRUE(disk.has_value());
    const auto blockBytes = static_cast<ULONGLONG>(volume.f_frsize);
    EXPECT_EQ(disk->totalBytes, static_cast<ULONGLONG>(volume.f_blocks) * blockBytes);
    const auto userFree = static_cast<double>(volume.f_bavail) * static_cast<double>(blockBytes);
    // Other tests write meanwhile: within 64 MB of the figure read a moment later.
    EXPECT_NEAR(static_cast<double>(disk->freeBytes), userFree, 64.0 * (1 << 20));
    EXPECT_LE(disk->freeBytes, static_cast<ULONGLONG>(volume.f_bfree) * blockBytes + (64 << 20));
}

}  // namespace

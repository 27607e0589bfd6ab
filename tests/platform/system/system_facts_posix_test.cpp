// This computer's facts for the System Information report, against what the system says.
#include "platform/system/system_facts.h"

#include <gtest/gtest.h>

#include <sys/statvfs.h>

namespace {

// The free space is the whole volume's, as the Windows report gives it: the blocks the file
// system keeps for root are free too (on this machine's ext4 they are several GB, so the user's
// share alone would be far off).
TEST(SystemFacts, FreeDiskSpaceIsTheWholeVolumes) {
    const auto facts = tarvex::platform::MakeSystemFacts();
    const auto disk = facts->Disk();
    struct statvfs volume {};
    ASSERT_EQ(statvfs(".", &volume), 0);
    ASSERT_TRUE(disk.has_value());
    const auto blockBytes = static_cast<ULONGLONG>(volume.f_frsize);
    EXPECT_EQ(disk->totalBytes, static_cast<ULONGLONG>(volume.f_blocks) * blockBytes);
    const auto volumeFree = static_cast<double>(volume.f_bfree) * static_cast<double>(blockBytes);
    // Other tests write meanwhile: within 64 MB of the figure read a moment later.
    EXPECT_NEAR(static_cast<double>(disk->freeBytes), volumeFree, 64.0 * (1 << 20));
}

}  // namespace

#include "app/setup_types.h"

#include <gtest/gtest.h>

using tarvex::app::FirmwareFileFor;
using tarvex::app::IsConsoleSetupType;

namespace {

TEST(SetupTypes, FilesOfTheTableAndTheSharedCustomPath) {
    EXPECT_EQ(FirmwareFileFor(0, L"x"), L"Quorlex2000.hex");
    EXPECT_EQ(FirmwareFileFor(1, L"x"), L"Arena2000.hex");
    EXPECT_EQ(FirmwareFileFor(2, L"x"), L"OvalTrack.hex");
    EXPECT_EQ(FirmwareFileFor(3, L"x"), L"ED-40517_Veziv16.fud");
    EXPECT_EQ(FirmwareFileFor(4, L"/srv/a.hex"), L"/srv/a.hex");
    EXPECT_EQ(FirmwareFileFor(5, L"/srv/a.hex"), L"/srv/a.hex") << "one path for both";
    EXPECT_EQ(FirmwareFileFor(5, L""), L"");
    EXPECT_EQ(FirmwareFileFor(-1, L"x"), std::nullopt) << "no row outside the table is read";
    EXPECT_EQ(FirmwareFileFor(6, L"x"), std::nullopt);
    EXPECT_EQ(FirmwareFileFor(INT32_MIN, L"x"), std::nullopt);
    EXPECT_STREQ(kSettingsFileName, L"Tarvex2.cfg");
}

TEST(SetupTypes, ConsoleTypesAreBelowThreeOrFour) {
    for (SetupType type : {0, 1, 2, 4}) EXPECT_TRUE(IsConsoleSetupType(type)) << type;
    for (SetupType type : {3, 5, 6}) EXPECT_FALSE(IsConsoleSetupType(type)) << type;
}

}  // namespace

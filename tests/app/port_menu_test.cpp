// The Communications menu, filled on a real menu.
#include "app/port_menu.h"

#include <gtest/gtest.h>

#include "app/resource.h"

using tarvex::app::CheckedPortName;
using tarvex::app::CheckPortItem;
using tarvex::app::EnablePortItems;
using tarvex::app::FillPortItems;
using tarvex::app::IsPortCommand;
using tarvex::app::kNoPortCommand;
using tarvex::app::RebuildPortMenu;

namespace {

// A Communications menu that still holds its placeholder "COM1".
class PortMenuTest : public testing::Test {
  protected:
    PortMenuTest() {
        menu.CreatePopupMenu();
        menu.AppendMenu(MF_STRING, ID_COMM_PLACEHOLDER, L"COM1");
    }

    std::wstring TextAt(int position) const {
        std::wstring text;
        menu.GetMenuString(static_cast<UINT>(position), text, MF_BYPOSITION);
        return text;
    }

    CMenu menu;
};

TEST_F(PortMenuTest, PortsInTheirOrderWithTheSavedPositionChecked) {
    FillPortItems(menu, std::vector<std::wstring>{L"COM3", L"COM1", L"COM4"}, 1);
    ASSERT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_EQ(TextAt(0), L"COM3");
    EXPECT_EQ(menu.GetMenuItemID(0), 500u);
    EXPECT_EQ(menu.GetMenuItemID(1), 501u);
    EXPECT_EQ(menu.GetMenuItemID(2), 502u);
    EXPECT_EQ(menu.GetMenuState(501, MF_BYCOMMAND), MF_CHECKED);
    EXPECT_EQ(menu.GetMenuState(500, MF_BYCOMMAND), MF_UNCHECKED);
    EXPECT_EQ(CheckedPortName(menu), L"COM1");

    CheckPortItem(menu, 502);
    EXPECT_EQ(CheckedPortName(menu), L"COM4");
    EXPECT_EQ(menu.GetMenuState(501, MF_BYCOMMAND), MF_UNCHECKED);
    EXPECT_EQ(menu.GetMenuState(500, MF_BYCOMMAND), MF_UNCHECKED);
}

TEST_F(PortMenuTest, AnEntryThatHoldsAPlaceKeepsTheOthersOnTheirCommands) {
    FillPortItems(menu, std::vector<std::wstring>{L"COM3", L"", L"COM4"}, 2);
    ASSERT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_EQ(menu.GetMenuItemID(1), kNoPortCommand);
    EXPECT_EQ(menu.GetMenuState(1, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(menu.GetMenuItemID(2), 502u);
    EXPECT_EQ(CheckedPortName(menu), L"COM4");
    EnablePortItems(menu, true);
    EXPECT_EQ(menu.GetMenuState(1, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED) << "cannot be chosen";
}

TEST_F(PortMenuTest, ASavedPositionOnAHeldPlaceChecksNothing) {
    FillPortItems(menu, std::vector<std::wstring>{L"COM3", L""}, 1);
    EXPECT_EQ(CheckedPortName(menu), L"");
    EXPECT_EQ(menu.GetMenuState(1, MF_BYPOSITION) & MF_CHECKED, 0u);
}

TEST_F(PortMenuTest, SavedPositionBeyondTheListChecksNothing) {
    FillPortItems(menu, std::vector<std::wstring>{L"/dev/ttyS0", L"/dev/ttyUSB0"}, 5);
    EXPECT_EQ(menu.GetMenuItemCount(), 2);
    EXPECT_EQ(CheckedPortName(menu), L"");
    FillPortItems(menu, std::vector<std::wstring>{L"/dev/ttyS0"}, -1);
    EXPECT_EQ(CheckedPortName(menu), L"");
}

TEST_F(PortMenuTest, WithoutATableThePlaceholderStaysAndCannotBeChosen) {
    FillPortItems(menu, std::nullopt, 0);
    ASSERT_EQ(menu.GetMenuItemCount(), 1);
    EXPECT_EQ(TextAt(0), L"COM1");
    EXPECT_EQ(menu.GetMenuItemID(0), ID_COMM_PLACEHOLDER);
    EXPECT_EQ(CheckedPortName(menu), L"");
    EnablePortItems(menu, false);
    EXPECT_EQ(menu.GetMenuState(0, MF_BYPOSITION), MF_ENABLED) << "graying leaves it alone";
}

TEST_F(PortMenuTest, AnEmptyTableLeavesAnEmptyMenu) {
    FillPortItems(menu, std::vector<std::wstring>{}, 0);
    EXPECT_EQ(menu.GetMenuItemCount(), 0);
    EXPECT_EQ(CheckedPortName(menu), L"");
}

TEST_F(PortMenuTest, ItemsPastThe256thAreShownGrayedAndNeverCarryAnotherCommand) {
    std::vector<std::wstring> ports;
    for (int i = 0; i < 600; ++i) ports.push_back(L"/dev/ttyS" + std::to_wstring(i));
    FillPortItems(menu, ports, 0);
    EXPECT_EQ(menu.GetMenuItemCount(), 600);
    EXPECT_TRUE(IsPortCommand(500));
    EXPECT_TRUE(IsPortCommand(755));
    EXPECT_FALSE(IsPortCommand(756));
    EXPECT_FALSE(IsPortCommand(499));
    for (int i = 0; i < 600; ++i) {
        const UINT id = menu.GetMenuItemID(i);
        if (i < 256) {
            EXPECT_EQ(id, 500u + static_cast<UINT>(i));
        } else {
            EXPECT_EQ(id, kNoPortCommand) << "item " << i;
        }
    }
    EnablePortItems(menu, false);
    EXPECT_EQ(menu.GetMenuState(255, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED);
    EnablePortItems(menu, true);
    EXPECT_EQ(menu.GetMenuState(255, MF_BYPOSITION) & MF_GRAYED, 0u);
    EXPECT_EQ(menu.GetMenuState(299, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED) << "cannot be chosen";
    EXPECT_EQ(menu.GetMenuState(599, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED);
}

TEST_F(PortMenuTest, ASavedPositionPastThe256thChecksNothing) {
    FillPortItems(menu, std::vector<std::wstring>(300, L"/dev/ttyS9"), 280);
    EXPECT_EQ(CheckedPortName(menu), L"");
}

TEST_F(PortMenuTest, RebuildKeepsTheCheckedPortByNameAndNeverMovesTheCheckByItself) {
    FillPortItems(menu, std::vector<std::wstring>{L"/dev/ttyS0", L"/dev/ttyUSB0"}, 1);
    // An adapter plugged in before the checked one: the check follows the name.
    EXPECT_EQ(RebuildPortMenu(menu, {L"/dev/ttyS0", L"/dev/ttyACM0", L"/dev/ttyUSB0"}), 2);
    ASSERT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_EQ(TextAt(1), L"/dev/ttyACM0");
    EXPECT_EQ(menu.GetMenuItemID(2), 502u);
    EXPECT_EQ(CheckedPortName(menu), L"/dev/ttyUSB0");
    EXPECT_EQ(menu.GetMenuState(500, MF_BYCOMMAND), MF_UNCHECKED);
    // The checked adapter unplugged: its item stays, checked, where it was.
    EXPECT_EQ(RebuildPortMenu(menu, {L"/dev/ttyACM0", L"/dev/ttyS0"}), 2);
    EXPECT_EQ(CheckedPortName(menu), L"/dev/ttyUSB0");
    ASSERT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_EQ(TextAt(0), L"/dev/ttyACM0");
    // ... also when the list has shrunk below its position, and when nothing else is left.
    EXPECT_EQ(RebuildPortMenu(menu, {L"/dev/ttyS0"}), 1);
    EXPECT_EQ(CheckedPortName(menu), L"/dev/ttyUSB0");
    EXPECT_EQ(RebuildPortMenu(menu, {}), 0);
    EXPECT_EQ(menu.GetMenuItemCount(), 1);
    EXPECT_EQ(CheckedPortName(menu), L"/dev/ttyUSB0");
    // Once the technician checks another port, the vanished one goes at the next opening.
    EXPECT_EQ(RebuildPortMenu(menu, {L"/dev/ttyS0"}), 0);
    CheckPortItem(menu, 501);
    EXPECT_EQ(RebuildPortMenu(menu, {L"/dev/ttyS0"}), 0);
    EXPECT_EQ(menu.GetMenuItemCount(), 1);
    EXPECT_EQ(CheckedPortName(menu), L"/dev/ttyS0");
}

TEST_F(PortMenuTest, RebuildWithNothingCheckedChecksNothing) {
    FillPortItems(menu, std::vector<std::wstring>{L"/dev/ttyS0"}, 3);
    EXPECT_EQ(RebuildPortMenu(menu, {L"/dev/ttyACM0", L"/dev/ttyS0"}), -1);
    EXPECT_EQ(CheckedPortName(menu), L"");
    EXPECT_EQ(menu.GetMenuItemCount(), 2);
    EXPECT_EQ(menu.GetMenuState(0, MF_BYPOSITION), MF_UNCHECKED);
    FillPortItems(menu, std::vector<std::wstring>{}, -1);
    EXPECT_EQ(RebuildPortMenu(menu, {}), -1);
    EXPECT_EQ(CheckedPortName(menu), L"");
}

}  // namespace

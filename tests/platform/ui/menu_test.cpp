// Menus by position and by command, on the real window system, the same on both.
#include "platform/ui/menu.h"

#include <gtest/gtest.h>

#include <future>

#include "support/window_driver.h"
#include "test_dialog.h"

using tarvex::platform::kMenuItemNotFound;

namespace {

using namespace test_dialog;
using drive::Choose;
using drive::RunModal;
using drive::WaitUntil;

TEST(Menu, ItemsAreFoundByPositionAndByCommandInsidePopups) {
    TestDialog dialog;
    RunModal(dialog, [&] {
        CMenu bar = dialog.GetMenu();
        EXPECT_EQ(bar.GetMenuItemCount(), 2);
        CMenu one = bar.GetSubMenu(0);
        EXPECT_EQ(one.GetMenuItemCount(), 3);
        EXPECT_EQ(one.GetMenuItemID(0), kFirst);
        EXPECT_EQ(one.GetMenuItemID(1), 0u) << "a separator";
        EXPECT_EQ(bar.GetMenuItemID(0), kMenuItemNotFound) << "a popup";
        EXPECT_FALSE(one.GetSubMenu(0).IsValid()) << "a command has no submenu";
        EXPECT_EQ(bar.GetMenuState(1, MF_BYPOSITION), MF_POPUP | (1u << 8));
        EXPECT_TRUE(one.GetMenuState(1, MF_BYPOSITION) & MF_SEPARATOR);

        std::wstring text;
        EXPECT_EQ(bar.GetMenuString(kInner, text, MF_BYCOMMAND), 5) << "found two levels down";
        EXPECT_EQ(text, L"Inner");
        EXPECT_EQ(bar.GetMenuString(99999, text, MF_BYCOMMAND), 0);
        EXPECT_EQ(bar.GetMenuState(99999, MF_BYCOMMAND), kMenuItemNotFound);
    });
}

TEST(Menu, CheckAndEnableReturnThePreviousState) {
    TestDialog dialog;
    RunModal(dialog, [&] {
        CMenu bar = dialog.GetMenu();
        EXPECT_EQ(bar.CheckMenuItem(kSecond, MF_CHECKED | MF_BYCOMMAND), MF_UNCHECKED);
        EXPECT_EQ(bar.CheckMenuItem(kSecond, MF_CHECKED | MF_BYCOMMAND), MF_CHECKED);
        EXPECT_EQ(bar.GetMenuState(kSecond, MF_BYCOMMAND), MF_CHECKED);
        EXPECT_EQ(bar.EnableMenuItem(kSecond, MF_GRAYED | MF_BYCOMMAND), MF_ENABLED);
        EXPECT_EQ(bar.GetMenuState(kSecond, MF_BYCOMMAND), MF_CHECKED | MF_GRAYED);
        EXPECT_EQ(bar.EnableMenuItem(kSecond, MF_ENABLED | MF_BYCOMMAND), MF_GRAYED);
        EXPECT_EQ(bar.CheckMenuItem(12345, MF_CHECKED), kMenuItemNotFound);
        EXPECT_EQ(bar.EnableMenuItem(12345, MF_GRAYED), kMenuItemNotFound);
    });
}

TEST(Menu, ChoosingAnItemSendsItsCommandAndLeavesItsCheckMarkAlone) {
    TestDialog dialog;
    RunModal(dialog, [&] {
        CMenu bar = dialog.GetMenu();
        bar.CheckMenuItem(kFirst, MF_CHECKED);
        Choose(dialog, kFirst);
        Choose(dialog, kInner);
        EXPECT_EQ(dialog.firstChosen, 1);
        EXPECT_EQ(dialog.innerChosen, 1);
        EXPECT_EQ(bar.GetMenuState(kFirst, MF_BYCOMMAND), MF_CHECKED);
        Choose(dialog, kFirst);
        EXPECT_EQ(bar.GetMenuState(kFirst, MF_BYCOMMAND), MF_CHECKED) << "not toggled off";
    });
}

TEST(Menu, AppendedAndDeletedItemsFromAnyThread) {
    TestDialog dialog;
    RunModal(dialog, [&] {
        CMenu one = dialog.GetMenu().GetSubMenu(0);
        auto worker = std::async(std::launch::async, [&] {
            one.AppendMenu(MF_STRING | MF_CHECKED, 40100, L"Appended");
            return one.GetMenuItemCount();
        });
        ASSERT_TRUE(WaitUntil(
            [&] { return worker.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        EXPECT_EQ(worker.get(), 4);
        EXPECT_EQ(one.GetMenuState(3, MF_BYPOSITION), MF_CHECKED);
        EXPECT_TRUE(one.DeleteMenu(0, MF_BYPOSITION));
        EXPECT_EQ(one.GetMenuItemID(0), 0u) << "the separator moved up";
        EXPECT_TRUE(one.DeleteMenu(40100, MF_BYCOMMAND));
        EXPECT_FALSE(one.DeleteMenu(40100, MF_BYCOMMAND));
        EXPECT_EQ(one.GetMenuItemCount(), 2);
        EXPECT_FALSE(one.AppendMenu(MF_POPUP, 0, L"no popups at run time"));
    });
    EXPECT_EQ(dialog.GetMenu().GetMenuItemCount(), -1) << "the menu went with its window";
}

}  // namespace

// Menus as Qt draws them: choosing an item, as the user clicks it, sends its command and leaves
// its check mark alone (a Qt action would toggle its own).
#include <gtest/gtest.h>

#include "support/dialog_driver.h"
#include "test_dialog.h"

namespace {

using namespace test_dialog;

TEST(QtMenu, ClickingAnItemSendsItsCommandAndLeavesItsCheckMarkAlone) {
    TestDialog dialog;
    RunModal(dialog, [&] {
        CMenu bar = dialog.GetMenu();
        bar.CheckMenuItem(kFirst, MF_CHECKED);
        MenuAction(dialog, kFirst)->trigger();
        MenuAction(dialog, kInner)->trigger();
        EXPECT_EQ(dialog.firstChosen, 1);
        EXPECT_EQ(dialog.innerChosen, 1);
        EXPECT_EQ(bar.GetMenuState(kFirst, MF_BYCOMMAND), MF_CHECKED);
        MenuAction(dialog, kFirst)->trigger();
        EXPECT_EQ(bar.GetMenuState(kFirst, MF_BYCOMMAND), MF_CHECKED) << "not toggled off";
        bar.EnableMenuItem(kInner, MF_GRAYED);
        MenuAction(dialog, kInner)->trigger();
        EXPECT_EQ(dialog.innerChosen, 1) << "a grayed item cannot be chosen";
    });
}

}  // namespace

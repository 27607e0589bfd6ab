#include "platform/ui/qt/button_check.h"

#include <QButtonGroup>

#include "platform/ui/qt/win32_ui_subset.h"

void tarvex::platform::SetButtonCheck(QAbstractButton* button, int check) {
    // An exclusive group keeps its checked button checked: clearing it needs exclusivity off.
    QButtonGroup* group = button->group();
    const bool exclusive = group != nullptr && group->exclusive();
    if (exclusive && check == BST_UNCHECKED) group->setExclusive(false);
    button->setChecked(check != BST_UNCHECKED);
    if (exclusive) group->setExclusive(true);
}

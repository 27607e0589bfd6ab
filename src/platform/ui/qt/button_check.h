// Setting a button's check state, also where Qt's exclusive radio groups would refuse it.
#pragma once

#include <QAbstractButton>

namespace tarvex::platform {

// `check` is BST_CHECKED or BST_UNCHECKED; clearing the checked button of an exclusive group
// leaves the group with none checked, as a radio group of the class library can be.
void SetButtonCheck(QAbstractButton* button, int check);

}  // namespace tarvex::platform

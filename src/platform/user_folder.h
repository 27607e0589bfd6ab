// The per-user working folder of a program started from the desktop's menu, which gives it the
// home folder as its working folder: no place for firmware files.
#pragma once

#include <string>

namespace tarvex::platform {

// Makes ~/<name> (Documents\<name> on Windows) the working folder, made on the first start, and
// copies `seedFile` into it from beside the program (on Linux also from ../share/tarvex2 beside
// it, where an installed program's data lies) when it is not there yet. False when the folder cannot be made or entered.
bool EnterUserFolder(const std::string& name, const std::string& seedFile);

}  // namespace tarvex::platform

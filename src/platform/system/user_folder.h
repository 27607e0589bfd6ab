// The per-user working folder of a program started from the desktop's menu, which gives it the
// home folder as its working folder: no place for firmware files.
#pragma once

#include <string>

namespace tarvex::platform {

// Makes ~/<name> (Documents\<name> on Windows) the working folder, made on the first start, and
// copies `seedFile` into it from beside the program (on Linux also from ../share/tarvex2 beside
// it, where an installed program's data lies) when it is not there yet. False when the folder
// cannot be made or entered.
bool EnterUserFolder(const std::string& name, const std::string& seedFile);

// The working folder's name now; empty when it cannot be had.
std::wstring WorkingFolderName();
// Enters the folder `name` again when the working folder was removed and a folder of that name
// made again meanwhile (a technician's script that empties a folder by removing it); true when
// it did. Linux lets a working folder go; Windows keeps it from being removed while a program
// works in it, so there it never happens.
bool ReenterWorkingFolder(const std::wstring& name);

}  // namespace tarvex::platform

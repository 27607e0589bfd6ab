// The two ways the program opens its files: created as the settings are saved, and read while
// nobody may write them.
#pragma once

#include "platform/files/file.h"

inline constexpr UINT kCreate = CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive;
inline constexpr UINT kRead = CFile::modeRead | CFile::shareDenyWrite;

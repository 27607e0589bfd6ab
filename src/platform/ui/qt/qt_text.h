// Wide text to and from Qt's strings, code unit for code unit. Qt's own conversions replace a
// lone surrogate with U+FFFD; the program keeps the bytes of a system name that is not UTF-8 as
// lone surrogates (platform/text.h), so a port name shown in a menu and read back from it must
// come back exactly as it went in.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tarvex::platform {

QString ToQString(std::wstring_view text);
std::wstring FromQString(const QString& text);

}  // namespace tarvex::platform

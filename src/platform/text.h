// Conversions between the program's wide strings and the byte strings of the system.
#pragma once

#include <string>
#include <string_view>

namespace tarvex::platform {

// Bytes in the Windows-1252 code page, the one code page the program reads device and file
// text in: every byte maps to one character, nothing is lost.
std::wstring WidenCp1252(std::string_view bytes);

// Text in the system's own encoding (UTF-8 on Linux). A byte that is not part of valid UTF-8 is
// taken as Windows-1252, so no input is ever dropped.
std::wstring WidenAnsi(std::string_view text);

// Wide text as UTF-8; characters that are not valid code points become U+FFFD.
std::string ToUtf8(std::wstring_view text);

}  // namespace tarvex::platform

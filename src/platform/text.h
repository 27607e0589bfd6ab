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

// A name the system gave (a device or file path) as wide text that keeps its bytes: valid UTF-8
// is decoded, and every other byte b becomes the lone surrogate U+DC00 + b (0x80 <= b), which no
// valid text contains. ToSystemName turns such text back into exactly the same bytes, so a name
// taken from the system, a link or the command line reaches open() unchanged.
std::wstring FromSystemName(std::string_view bytes);
std::string ToSystemName(std::wstring_view name);

// Wide text as UTF-8 that stays on one line of a log and says what it held: control characters
// as \n, \r, \t or \xNN, a system name's bytes that were not UTF-8 as \xNN (the byte itself),
// and any other lone surrogate as \uNNNN.
std::string ToLogText(std::wstring_view text);

// Wide text as the UTF-16 units a file format stores, and back. A character past the first plane
// is a surrogate pair in the file (and in wide text where wchar_t has 16 bits, on Windows); a
// lone surrogate is kept as it is, so every unit read is written back the same.
std::u16string ToUtf16(std::wstring_view text);
std::wstring FromUtf16(std::u16string_view units);

}  // namespace tarvex::platform

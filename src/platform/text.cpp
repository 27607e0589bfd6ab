#include "platform/text.h"

#include <array>
#include <cstdio>

namespace tarvex::platform {
namespace {

// Windows-1252 from 0x80 to 0x9F; the five unassigned bytes map to the C1 controls of the same
// value, as Windows itself converts them.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

wchar_t Cp1252Char(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return static_cast<wchar_t>(kHighControls[byte - 0x80]);
    return static_cast<wchar_t>(byte);
}

// Length of the valid UTF-8 sequence at the start of `text` and its code point, or 0.
std::size_t DecodeUtf8(std::string_view text, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length;
    char32_t minimum;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || codePoint > 0x10FFFF || surrogate) return 0;
    return length;
}

constexpr char32_t kEscapedByteBase = 0xDC00;

bool IsEscapedByte(char32_t codePoint) {
    return codePoint >= kEscapedByteBase + 0x80 && codePoint <= kEscapedByteBase + 0xFF;
}

void AppendUtf8(std::string& utf8, char32_t codePoint) {
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        codePoint = 0xFFFD;
    }
    if (codePoint < 0x80) {
        utf8.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        utf8.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        utf8.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        utf8.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        utf8.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        utf8.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        utf8.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        utf8.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        utf8.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        utf8.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// Wide text holds UTF-16 where wchar_t has 16 bits (Windows) and UTF-32 where it has 32 (Linux).
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

// Appends `codePoint` in `units`' form: one unit, or a surrogate pair where a unit has 16 bits
// and the code point is past the first plane.
template <typename String>
void AppendCodePoint(String& units, char32_t codePoint) {
    using Unit = typename String::value_type;
    if (sizeof(Unit) == 2 && codePoint >= 0x10000 && codePoint <= 0x10FFFF) {
        codePoint -= 0x10000;
        units.push_back(static_cast<Unit>(0xD800 + (codePoint >> 10)));
        units.push_back(static_cast<Unit>(0xDC00 + (codePoint & 0x3FF)));
    } else {
        units.push_back(static_cast<Unit>(codePoint));
    }
}

// The code point at `units[at]`, stepping `at` past it: a surrogate pair of 16-bit units is one
// character; a lone surrogate is taken as it is.
template <typename View>
char32_t NextCodePoint(View units, std::size_t& at) {
    const auto unit = static_cast<char32_t>(units[at++]);
    if (sizeof(units[0]) == 2 && IsHighSurrogate(unit) && at < units.size() &&
        IsLowSurrogate(static_cast<char32_t>(units[at]))) {
        return 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(units[at++]) - 0xDC00);
    }
    return unit;
}

}  // namespace

std::wstring WidenCp1252(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (char byte : bytes) text.push_back(Cp1252Char(static_cast<unsigned char>(byte)));
    return text;
}

namespace {

// UTF-8 decoded; each byte that is not part of valid UTF-8 becomes `invalid(byte)`.
template <typename Invalid>
std::wstring DecodeUtf8Text(std::string_view text, Invalid invalid) {
    std::wstring wide;
    wide.reserve(text.size());
    while (!text.empty()) {
        char32_t codePoint;
        std::size_t length = DecodeUtf8(text, codePoint);
        if (length == 0) {
            wide.push_back(invalid(static_cast<unsigned char>(text[0])));
            length = 1;
        } else {
            AppendCodePoint(wide, codePoint);
        }
        text.remove_prefix(length);
    }
    return wide;
}

}  // namespace

std::wstring WidenAnsi(std::string_view text) { return DecodeUtf8Text(text, Cp1252Char); }

std::string ToUtf8(std::wstring_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) AppendUtf8(utf8, NextCodePoint(text, at));
    return utf8;
}

std::wstring FromSystemName(std::string_view bytes) {
    return DecodeUtf8Text(
        bytes, [](unsigned char byte) { return static_cast<wchar_t>(kEscapedByteBase + byte); });
}

std::string ToSystemName(std::wstring_view name) {
    std::string bytes;
    bytes.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const char32_t codePoint = NextCodePoint(name, at);
        if (IsEscapedByte(codePoint)) {
            bytes.push_back(static_cast<char>(codePoint - kEscapedByteBase));
        } else {
            AppendUtf8(bytes, codePoint);
        }
    }
    return bytes;
}

std::string ToLogText(std::wstring_view text) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t codePoint = NextCodePoint(text, at);
        char escaped[8] = {};
        if (codePoint == U'\n') {
            line += "\\n";
        } else if (codePoint == U'\r') {
            line += "\\r";
        } else if (codePoint == U'\t') {
            line += "\\t";
        } else if (codePoint < 0x20 || codePoint == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(codePoint));
        } else if (IsEscapedByte(codePoint)) {
            std::snprintf(escaped, sizeof escaped, "\\x%02X",
                          static_cast<unsigned>(codePoint - kEscapedByteBase));
        } else if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(codePoint));
        } else {
            AppendUtf8(line, codePoint);
        }
        line += escaped;
    }
    return line;
}

std::u16string ToUtf16(std::wstring_view text) {
    if constexpr (kWideIsUtf16) return std::u16string(text.begin(), text.end());
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t ch : text) {
        const auto codePoint = static_cast<char32_t>(ch);
        AppendCodePoint(units, codePoint > 0x10FFFF ? char32_t{0xFFFD} : codePoint);
    }
    return units;
}

std::wstring FromUtf16(std::u16string_view units) {
    if constexpr (kWideIsUtf16) return std::wstring(units.begin(), units.end());
    std::wstring text;
    text.reserve(units.size());
    for (std::size_t at = 0; at < units.size();)
        text.push_back(static_cast<wchar_t>(NextCodePoint(units, at)));
    return text;
}

}  // namespace tarvex::platform

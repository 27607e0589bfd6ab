#include "platform/text.h"

#include <gtest/gtest.h>

namespace {

using tarvex::platform::ToUtf8;
using tarvex::platform::WidenAnsi;
using tarvex::platform::WidenCp1252;

TEST(Text, Cp1252MapsEveryByteToOneCharacter) {
    EXPECT_EQ(WidenCp1252("!0\x80\x81\x9F\xE9"), L"!0\u20AC\u0081\u0178\u00E9");
    EXPECT_EQ(WidenCp1252(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(Text, AnsiIsUtf8WithCp1252ForStrayBytes) {
    EXPECT_EQ(WidenAnsi("caf\xC3\xA9 \xF0\x9F\x98\x80"), L"caf\u00E9 \U0001F600");
    EXPECT_EQ(WidenAnsi("bad \xE9 byte"), L"bad \u00E9 byte");
    EXPECT_EQ(WidenAnsi("cut \xE2\x82"), L"cut \u00E2\u201A");
    EXPECT_EQ(WidenAnsi("\xC0\x80"), L"\u00C0\u20AC") << "overlong forms are not UTF-8";
}

TEST(Text, Utf8RoundTripAndInvalidCodePoints) {
    const std::wstring text = L"Tessary 5500 \u00C4\u20AC\U0001F600";
    EXPECT_EQ(WidenAnsi(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(Text, SystemNamesKeepTheirBytes) {
    using tarvex::platform::FromSystemName;
    using tarvex::platform::ToSystemName;
    EXPECT_EQ(FromSystemName("/dev/ttyUSB0 caf\xC3\xA9"), L"/dev/ttyUSB0 caf\u00E9");
    // A byte that is not part of valid UTF-8 is kept as a lone surrogate and comes back as it was.
    const std::string latin1("/tmp/port\xE9\xFF\x80", 12);
    EXPECT_EQ(FromSystemName(latin1), L"/tmp/port\xDCE9\xDCFF\xDC80");
    EXPECT_EQ(ToSystemName(FromSystemName(latin1)), latin1);
    std::string everyByte;
    for (int b = 1; b < 256; ++b) everyByte.push_back(static_cast<char>(b));
    everyByte += "\xE2\x82\xAC\xE2\x82 \xF0\x9F\x98\x80\xED\xA0\x80";  // valid, cut, valid, CESU
    EXPECT_EQ(ToSystemName(FromSystemName(everyByte)), everyByte);
    // A lone surrogate that does not stand for a byte is no name the system gave: U+FFFD.
    EXPECT_EQ(ToSystemName(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(ToSystemName(std::wstring(1, static_cast<wchar_t>(0xDC41))), "\xEF\xBF\xBD");
}

}  // namespace

// A log line stays one line and says what the text held: breaks and other controls escaped, the
// bytes of a name that were not UTF-8 shown as the bytes, everything else as UTF-8.
TEST(Text, LogTextStaysOnOneLine) {
    using tarvex::platform::FromSystemName;
    using tarvex::platform::ToLogText;
    EXPECT_EQ(ToLogText(L"a\nb\r\tc\x01\x7F"), "a\\nb\\r\\tc\\x01\\x7F");
    EXPECT_EQ(ToLogText(FromSystemName("/tmp/caf\xE9\xFF.hex")), "/tmp/caf\\xE9\\xFF.hex");
    EXPECT_EQ(ToLogText(L"C:\\fw\\Pool\u00E9.hex"), "C:\\fw\\Pool\xC3\xA9.hex");
    EXPECT_EQ(ToLogText(std::wstring(1, static_cast<wchar_t>(0xD800))), "\\uD800");
}

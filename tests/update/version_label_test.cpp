#include "update/version_label.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using tarvex::update::ErrorOpeningLabel;
using tarvex::update::LabelBase;
using tarvex::update::VersionLabel;

namespace {

std::vector<std::uint8_t> Header(const std::string& text) { return {text.begin(), text.end()}; }

TEST(VersionLabel, FieldsLoseTheirLeadingZerosAndEndWithTheText) {
    EXPECT_EQ(VersionLabel(L"Huevane", Header("E012345-0203 and the rest of the header")),
              L"Huevane: ED-12345 ver 203");
    EXPECT_EQ(VersionLabel(L"Huevane", Header("E000000-0016")), L"Huevane: ED- ver 16");
    EXPECT_EQ(VersionLabel(L"Huevane", Header("E040517-0000")), L"Huevane: ED-40517 ver ");
    EXPECT_EQ(VersionLabel(L"Huevane", Header("E0405")), L"Huevane: ED-405 ver ") << "a short file";
    EXPECT_EQ(VersionLabel(L"Huevane", Header(std::string("E04\0"
                                                          "517-0016",
                                                          12))),
              L"Huevane: ED-4 ver ")
        << "a zero byte ends the text";
    EXPECT_EQ(VersionLabel(L"Huevane", {}), L"Huevane: ED- ver ");
    EXPECT_EQ(VersionLabel(L"Huevane", Header("E\xE9\x80"
                                              "1234-0001")),
              L"Huevane: ED-\u00E9\u20AC1234 ver 1");
    // Only the first 27 bytes are the header.
    EXPECT_EQ(VersionLabel(L"x", Header(std::string(27, '1') + "\0")), L"x: ED-111111 ver 1111");
}

TEST(VersionLabel, StampingAStampedLabelReplacesTheStamp) {
    EXPECT_EQ(LabelBase(L"Huevane"), L"Huevane");
    const std::wstring once = VersionLabel(LabelBase(L"Huevane"), Header("E040517-0016"));
    EXPECT_EQ(VersionLabel(LabelBase(once), Header("E040517-0016")), once);
    EXPECT_EQ(ErrorOpeningLabel(LabelBase(once)), L"Huevane: [error opening file]");
    EXPECT_EQ(LabelBase(L"a:b:c"), L"a");
}

}  // namespace

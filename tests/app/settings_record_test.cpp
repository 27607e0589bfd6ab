// The settings file's bytes: what the program writes, every form of the archive string it
// reads, and the failures of a damaged file.
#include "app/settings_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using tarvex::app::LoadSettingsRecord;
using tarvex::app::SettingsRecord;
using tarvex::app::StoreSettingsRecord;

namespace {

using Bytes = std::vector<BYTE>;

Bytes Stored(const SettingsRecord& record) {
    CMemFile file;
    CArchive archive(&file, CArchive::store);
    StoreSettingsRecord(archive, record);
    archive.Close();
    return file.Bytes();
}

// Loads `bytes`; the cause of the archive failure it raised, or -1 for none.
int Load(const Bytes& bytes, SettingsRecord& record, bool* versionKnown = nullptr) {
    CMemFile file(bytes);
    CArchive archive(&file, CArchive::load);
    try {
        const bool known = LoadSettingsRecord(archive, record);
        if (versionKnown != nullptr) *versionKnown = known;
        return -1;
    } catch (CArchiveException* failure) {
        const int cause = failure->m_cause;
        failure->Delete();
        return cause;
    }
}

Bytes Int32(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8), static_cast<BYTE>(bits >> 16),
            static_cast<BYTE>(bits >> 24)};
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Utf16(const std::u16string& text) {
    Bytes bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<BYTE>(unit));
        bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    return bytes;
}

TEST(SettingsRecord, WritesTheGoldenBytes) {
    const Bytes written = Stored({4, L"C:\\fw\\Pool.hex", 2});
    EXPECT_EQ(written, Join({{1, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFE, 0xFF, 14},
                             Utf16(u"C:\\fw\\Pool.hex"),
                             {2, 0, 0, 0}}));
    EXPECT_EQ(written.size(), 44u);
    EXPECT_EQ(Stored({0, L"", 0}),
              (Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFE, 0xFF, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Stored({-1, L"", 7}),
              (Bytes{1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0, 7, 0, 0, 0}));

    const Bytes long300 = Stored({5, std::wstring(300, L'x'), 0});
    EXPECT_EQ(Bytes(long300.begin() + 8, long300.begin() + 14),
              (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}));
    EXPECT_EQ(long300.size(), 14u + 600 + 4);
    const Bytes at254 = Stored({5, std::wstring(254, L'x'), 0});
    EXPECT_EQ(at254[11], 254) << "the one-byte form up to 254";
    const Bytes at65534 = Stored({5, std::wstring(65534, L'x'), 0});
    EXPECT_EQ(Bytes(at65534.begin() + 11, at65534.begin() + 18),
              (Bytes{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}))
        << "past 65533 the 32-bit form";
    // Characters beyond the 16-bit range count as the two UTF-16 units the file stores.
    const Bytes emoji = Stored({4, L"\U0001F600", 0});
    EXPECT_EQ(Bytes(emoji.begin() + 11, emoji.begin() + 16), (Bytes{2, 0x3D, 0xD8, 0x00, 0xDE}));
}

TEST(SettingsRecord, ReadsWhatItWritesAndEveryStringForm) {
    for (const SettingsRecord& original :
         {SettingsRecord{4, L"/srv/firmware/Quorlex2000 v2.hex", 2},
          SettingsRecord{5, std::wstring(300, L'\u00E9'), 255}, SettingsRecord{-1, L"", -3},
          SettingsRecord{4, L"\U0001F600 \xDCE9", 0}}) {
        SettingsRecord read;
        bool known = false;
        ASSERT_EQ(Load(Stored(original), read, &known), -1);
        EXPECT_TRUE(known);
        EXPECT_EQ(read.setupType, original.setupType);
        EXPECT_EQ(read.customFile, original.customFile);
        EXPECT_EQ(read.portIndex, original.portIndex);
    }
    const Bytes head = Join({Int32(1), Int32(4)});
    const Bytes tail = Int32(3);
    const std::vector<std::pair<Bytes, std::wstring>> forms = {
        // single-byte characters, converted from Windows-1252
        {{3, 'A', 0xE9, 0x80}, L"A\u00E9\u20AC"},
        // single-byte, 16-bit length
        {{0xFF, 2, 0, 'h', 'i'}, L"hi"},
        // single-byte, 32-bit length
        {{0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 'o', 'k'}, L"ok"},
        // 16-bit characters with each length form
        {Join({{0xFF, 0xFE, 0xFF, 0xFF, 2, 0}, Utf16(u"ab")}), L"ab"},
        {Join({{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0}, Utf16(u"z")}), L"z"},
        {Join({{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0, 0},
               Utf16(u"q")}),
         L"q"},
        // 16-bit text ends at its first zero character
        {Join({{0xFF, 0xFE, 0xFF, 3}, Utf16(std::u16string(u"a\0b", 3))}), L"a"},
        {{3, 'a', 0, 'b'}, L"a"},
    };
    for (const auto& [string, expected] : forms) {
        SettingsRecord read;
        ASSERT_EQ(Load(Join({head, string, tail}), read), -1) << testing::PrintToString(string);
        EXPECT_EQ(read.customFile, expected);
        EXPECT_EQ(read.portIndex, 3);
    }
}

TEST(SettingsRecord, DamagedFilesFailAndOtherVersionsReadNothing) {
    const Bytes valid = Stored({4, L"C:\\fw\\Pool.hex", 2});
    for (std::size_t length = 0; length < valid.size(); ++length) {
        SettingsRecord read{9, L"kept", 9};
        EXPECT_EQ(Load(Bytes(valid.begin(), valid.begin() + static_cast<long>(length)), read),
                  CArchiveException::endOfFile)
            << "cut at " << length;
        EXPECT_EQ(read.setupType, 9) << "nothing is taken from a damaged file";
    }

    SettingsRecord read{9, L"kept", 9};
    bool known = true;
    EXPECT_EQ(Load(Int32(2), read, &known), -1);
    EXPECT_FALSE(known);
    EXPECT_EQ(read.customFile, L"kept");

    // Lengths far beyond the file: the end of the file, found before anything is allocated.
    const Bytes head = Join({Int32(1), Int32(4)});
    EXPECT_EQ(
        Load(Join({head, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}}), read),
        CArchiveException::endOfFile);
    EXPECT_EQ(
        Load(Join({head,
                   {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0}}),
             read),
        CArchiveException::endOfFile);
    EXPECT_EQ(Load(Join({head, {0xFF, 0xFE, 0xFF, 10}, Utf16(u"abc"), Int32(0)}), read),
              CArchiveException::endOfFile);
    // A 64-bit length that does not fit into 31 bits is the archive's generic failure.
    EXPECT_EQ(
        Load(Join({head, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0}}),
             read),
        CArchiveException::genericException);
}

// A custom path longer than any system accepts (32,767 UTF-16 units) is a damaged file, refused
// before it is read (a 2 GB file whose string length matched its size took 18 s and 2 GB); the
// longest path still reads.
TEST(SettingsRecord, APathLongerThanAnySystemTakesIsADamagedFile) {
    const std::wstring longest(32767, L'p');
    SettingsRecord read;
    EXPECT_EQ(Load(Stored({4, longest, 1}), read), -1);
    EXPECT_EQ(read.customFile, longest);
    SettingsRecord kept{9, L"kept", 9};
    EXPECT_EQ(Load(Stored({4, longest + L"p", 1}), kept), CArchiveException::genericException);
    EXPECT_EQ(kept.customFile, L"kept");
    const Bytes narrowLength = {0xFF, 0x00, 0x80};  // 32768 bytes
    EXPECT_EQ(Load(Join({Int32(1), Int32(4), narrowLength, Bytes(32768, 'p'), Int32(1)}), kept),
              CArchiveException::genericException);
}

}  // namespace

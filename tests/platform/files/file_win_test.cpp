// Files on Windows: devices and pipes never open as files, and the new files a program left
// beside its target are cleared once nobody holds them.
#include "platform/files/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/file_contents.h"
#include "support/file_modes.h"
#include "support/temp_dir.h"

namespace {

TEST(File, DevicesAndPipesAreRefusedWithoutAWait) {
    CFile file;
    EXPECT_FALSE(file.Open(L"NUL", kRead)) << "a device";
    EXPECT_FALSE(file.Open(L"\\\\.\\NUL", kCreate)) << "nor replaced";
    // A pipe whose server waits for a client: opening it connects to a program, not a file.
    const std::wstring pipe =
        L"\\\\.\\pipe\\tarvex2-file-test-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE server =
        CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 2, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file.Open(pipe.c_str(), kRead));
    EXPECT_FALSE(file.Open(pipe.c_str(), kCreate));
    CloseHandle(server);
}

// A new file that a living writer holds is kept; one nobody holds was left by a program that
// died while writing, and goes. Names of another making stay.
TEST(File, ReplacementsNobodyHoldsAreRemovedAndHeldOnesKept) {
    TempDir dir;
    const auto path = dir.path() / "Quorlex2000.hex";
    std::ofstream(path) << "good copy";
    std::ofstream(dir.path() / ".Quorlex2000.hex.4242-0") << "part of a dead download";
    std::ofstream(dir.path() / ".Quorlex2000.hex.12-ab") << "someone else's";
    CFile live;
    ASSERT_TRUE(live.Open(path.wstring().c_str(), kCreate));
    live.Write("new", 3);
    ASSERT_EQ(FilesIn(dir.path()), 4u);

    CFile::RemoveAbandonedReplacements(path.wstring().c_str());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / ".Quorlex2000.hex.4242-0"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / ".Quorlex2000.hex.12-ab"));
    EXPECT_EQ(FilesIn(dir.path()), 3u) << "the live writer's new file stays";
    live.Close();
    EXPECT_EQ(Contents(path), "new");
    EXPECT_EQ(FilesIn(dir.path()), 2u);
}

}  // namespace

namespace {

DWORD AttributesOf(const std::filesystem::path& path) {
    return GetFileAttributesW(path.wstring().c_str());
}

// A file that takes the old one's place has the old one's attributes; a new file is an ordinary
// one. A hidden replacement would hide the settings file and every download from Explorer, and
// a program that rewrites a hidden file with normal attributes is refused.
TEST(File, AReplacementHasTheAttributesOfTheFileItReplaces) {
    TempDir dir;
    const auto fresh = dir.path() / "Tarvex2.cfg";
    CFile file;
    ASSERT_TRUE(file.Open(fresh.wstring().c_str(), kCreate));
    file.Write("settings", 8);
    file.Close();
    ASSERT_NE(AttributesOf(fresh), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(AttributesOf(fresh) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), 0u);
    // Rewritten by a program that creates it anew with normal attributes.
    const HANDLE other = CreateFileW(fresh.wstring().c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(other, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(other);

    const auto hidden = dir.path() / "Quorlex2000.hex";
    std::ofstream(hidden) << "old copy";
    ASSERT_TRUE(SetFileAttributesW(hidden.wstring().c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(AttributesOf(hidden) & FILE_ATTRIBUTE_HIDDEN) << "the system keeps the attribute";
    ASSERT_TRUE(file.Open(hidden.wstring().c_str(), kCreate));
    file.Write("new copy", 8);
    file.Close();
    EXPECT_EQ(Contents(hidden), "new copy");
    EXPECT_TRUE(AttributesOf(hidden) & FILE_ATTRIBUTE_HIDDEN) << "the old file's own choice";
}

}  // namespace

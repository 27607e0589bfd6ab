// Files as the settings and downloads use them, on both systems: sharing modes, a created file
// written whole or not at all, and what opens at all.
#include "platform/files/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/emulation.h"
#include "support/file_contents.h"
#include "support/file_modes.h"
#include "support/temp_dir.h"

namespace {

TEST(File, CreatedFileReplacesTheOldOneOnlyWhenClosed) {
    TempDir dir;
    const auto path = dir.path() / "Tarvex2.cfg";
    std::ofstream(path) << "old settings";
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.wstring().c_str(), kCreate));
        file.Write("new", 3);
        CFile reader;
        CFileException error(CFileException::none, 0);
        EXPECT_FALSE(reader.Open(path.wstring().c_str(), kRead, &error)) << "held exclusively";
        EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
        // Linux's locks bind only those who ask for one: there the old file can be seen.
        if (kEmulatedWin32) {
            EXPECT_EQ(Contents(path), "old settings") << "the old file stands while writing";
        }
        file.Close();
    }
    EXPECT_EQ(Contents(path), "new");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.wstring().c_str(), kCreate));
        file.Write("abandoned", 9);
        file.Abort();
    }
    EXPECT_EQ(Contents(path), "new");
    EXPECT_EQ(FilesIn(dir.path()), 1u) << "nothing left beside it";

    CFile reader;
    ASSERT_TRUE(reader.Open(path.wstring().c_str(), kRead));
    char buffer[8] = {};
    EXPECT_EQ(reader.Read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(reader.GetLength(), 3u);
    CFile writer;
    CFileException error(CFileException::none, 0);
    EXPECT_FALSE(writer.Open(path.wstring().c_str(), kCreate, &error)) << "read, deny write";
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    CFile secondReader;
    EXPECT_TRUE(secondReader.Open(path.wstring().c_str(), kRead));
}

TEST(File, MissingFilesAndFoldersDoNotOpenAndFindFileSeesEveryName) {
    TempDir dir;
    CFile file;
    EXPECT_FALSE(file.Open(dir.path().wstring().c_str(), kRead)) << "a folder";
    EXPECT_FALSE(file.Open(dir.path().wstring().c_str(), kCreate)) << "a folder is not replaced";
    CFileException error(CFileException::none, 0);
    EXPECT_FALSE(file.Open((dir.path() / "missing").wstring().c_str(), kRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);

    std::ofstream(dir.path() / "Tarvex2.cfg") << "settings";
    CFileFind finder;
    EXPECT_TRUE(finder.FindFile((dir.path() / "Tarvex2.cfg").wstring().c_str()));
    EXPECT_FALSE(finder.IsDirectory());
    EXPECT_TRUE(finder.FindFile(dir.path().wstring().c_str())) << "a directory counts as found";
    EXPECT_TRUE(finder.IsDirectory());
    EXPECT_FALSE(finder.FindFile((dir.path() / "missing").wstring().c_str()));
    EXPECT_FALSE(finder.FindFile(L""));
}

// Only the names this class makes beside a file (".<name>.<pid>-<n>") are taken for left-over
// new files: another's, or one whose number no process can have, stays, and nothing is raised.
TEST(File, NamesBesideAFileThatAreNotLeftOverNewFilesStay) {
    TempDir dir;
    const auto path = dir.path() / "Quorlex2000.hex";
    std::ofstream(path) << "good copy";
    const char* const others[] = {".Quorlex2000.hex.12-ab", ".Quorlex2000.hex.-1",
                                  ".Quorlex2000.hex.12", ".Quorlex2000.hex.99999999999999999999-1",
                                  ".Quorlex2000.hex.4294967296-0"};
    for (const char* name : others) std::ofstream(dir.path() / name) << "someone else's";
    CFile::RemoveAbandonedReplacements(path.wstring().c_str());
    for (const char* name : others) EXPECT_TRUE(std::filesystem::exists(dir.path() / name)) << name;
    EXPECT_EQ(Contents(path), "good copy");
}

}  // namespace

// Files as the settings use them: sharing modes, and a created file written whole or not at all.
#include "platform/file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace {

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

std::size_t FilesIn(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

constexpr UINT kCreate = CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive;
constexpr UINT kRead = CFile::modeRead | CFile::shareDenyWrite;

TEST(File, CreatedFileReplacesTheOldOneOnlyWhenClosed) {
    TempDir dir;
    const auto path = dir.path() / "Tarvex2.cfg";
    std::ofstream(path) << "old settings";
    chmod(path.c_str(), 0640);
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.wstring().c_str(), kCreate));
        file.Write("new", 3);
        EXPECT_EQ(Contents(path), "old settings") << "the old file stands while writing";
        file.Close();
    }
    EXPECT_EQ(Contents(path), "new");
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::group_read)
        << "the old file's mode";
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

TEST(File, WriteFailureLeavesTheOldFileAndNamesTheFile) {
    TempDir dir;
    const auto path = dir.path() / "Tarvex2.cfg";
    std::ofstream(path) << "good settings";
    // A file-size limit stands in for a full disk (root ignores file modes, not this limit).
    signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 4;
    CFile file;
    ASSERT_TRUE(file.Open(path.wstring().c_str(), kCreate));
    setrlimit(RLIMIT_FSIZE, &small);
    std::wstring message;
    try {
        file.Write("0123456789", 10);
    } catch (CFileException* failure) {
        wchar_t text[200];
        failure->GetErrorMessage(text, 200);
        message = text;
        failure->Delete();
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    file.Abort();
    EXPECT_EQ(message, L"Disk full while accessing " + path.wstring() + L".");
    EXPECT_EQ(Contents(path), "good settings");
    EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(File, OnlyRegularFilesOpenAndFindFileSeesEveryName) {
    TempDir dir;
    const auto fifo = dir.path() / "Tarvex2.cfg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CFile file;
    EXPECT_FALSE(file.Open(fifo.wstring().c_str(), kRead)) << "refused, not waited on";
    EXPECT_FALSE(file.Open(fifo.wstring().c_str(), kCreate)) << "nor replaced";
    EXPECT_FALSE(file.Open(dir.path().wstring().c_str(), kRead));
    CFileException error(CFileException::none, 0);
    EXPECT_FALSE(file.Open((dir.path() / "missing").wstring().c_str(), kRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);

    CFileFind finder;
    EXPECT_TRUE(finder.FindFile(fifo.wstring().c_str()));
    EXPECT_TRUE(finder.FindFile(dir.path().wstring().c_str())) << "a directory counts as found";
    EXPECT_FALSE(finder.FindFile((dir.path() / "missing").wstring().c_str()));
    EXPECT_FALSE(finder.FindFile(L""));
}

}  // namespace

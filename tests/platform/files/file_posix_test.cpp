// Files on Linux: the old file's mode, a full disk, FIFOs, links, read-only folders and the new
// files a killed program left.
#include "platform/files/file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "support/file_contents.h"
#include "support/file_modes.h"
#include "support/temp_dir.h"

namespace {

TEST(File, CreatedFileKeepsTheOldFilesMode) {
    TempDir dir;
    const auto path = dir.path() / "Tarvex2.cfg";
    std::ofstream(path) << "old settings";
    chmod(path.c_str(), 0640);
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.wstring().c_str(), kCreate));
        file.Write("new", 3);
        file.Close();
    }
    EXPECT_EQ(Contents(path), "new");
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::group_read)
        << "the old file's mode";
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

// Creates `path` holding `text`, as the settings are saved.
bool CreateWith(const std::filesystem::path& path, const std::string& text) {
    CFile file;
    if (!file.Open(path.wstring().c_str(), kCreate)) return false;
    file.Write(text.data(), static_cast<UINT>(text.size()));
    file.Close();
    return true;
}

// A name that is a link: the file it names is replaced, the link stays a link.
TEST(File, CreatingThroughALinkReplacesTheFileItNames) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "real");
    std::ofstream(dir.path() / "real" / "Tarvex2.cfg") << "old";
    const auto link = dir.path() / "Tarvex2.cfg";
    std::filesystem::create_symlink("real/Tarvex2.cfg", link);
    const auto second = dir.path() / "again.cfg";
    std::filesystem::create_symlink(link, second);  // a link to the link
    for (const auto& name : {link, second}) {
        ASSERT_TRUE(CreateWith(name, "new"));
        EXPECT_TRUE(std::filesystem::is_symlink(name));
        EXPECT_EQ(Contents(dir.path() / "real" / "Tarvex2.cfg"), "new");
        EXPECT_EQ(FilesIn(dir.path() / "real"), 1u) << "nothing left beside the file";
    }
    // A link whose file does not exist yet: the file is made where the link points.
    const auto dangling = dir.path() / "new.cfg";
    std::filesystem::create_symlink(dir.path() / "real" / "made.cfg", dangling);
    ASSERT_TRUE(CreateWith(dangling, "made"));
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(Contents(dir.path() / "real" / "made.cfg"), "made");
}

// In a folder that takes no new file, a file that may be written is written in place; a failure
// there is the write failure it is. Folder modes hold only for an ordinary user: as root, the
// writing child becomes nobody.
TEST(File, AWritableFileInAReadOnlyFolderIsWrittenInPlace) {
    TempDir dir;
    const auto folder = dir.path() / "readonly";
    std::filesystem::create_directory(folder);
    const auto path = folder / "Tarvex2.cfg";
    std::ofstream(path) << "the old settings, longer than the new";
    chmod(dir.path().c_str(), 0755);
    chmod(folder.c_str(), 0555);
    const pid_t child = fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (geteuid() == 0 && (chown(path.c_str(), kNobody, kNobody) != 0 || setgid(kNobody) != 0 ||
                               setuid(kNobody) != 0)) {
            _exit(10);
        }
        CFile file;
        if (!file.Open(path.wstring().c_str(), kCreate)) _exit(11);
        file.Write("new", 3);
        try {
            file.Close();
        } catch (CFileException* failure) {
            failure->Delete();
            _exit(12);
        }
        if (Contents(path) != "new") _exit(16);
        // A write that fails as the file is written is reported.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit small{2, 2};
        setrlimit(RLIMIT_FSIZE, &small);
        CFile full;
        if (!full.Open(path.wstring().c_str(), kCreate)) _exit(13);
        full.Write("0123456789", 10);
        try {
            full.Close();
        } catch (CFileException* failure) {
            const bool diskFull = failure->m_cause == CFileException::diskFull;
            failure->Delete();
            _exit(diskFull ? 0 : 14);
        }
        _exit(15);
    }
    int status = 0;
    waitpid(child, &status, 0);
    chmod(folder.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(FilesIn(folder), 1u) << "nothing beside it";
}

// A new file left beside its target by a program that was killed is cleared by the next
// creator, also while the dead program is not yet reaped; one that is being written is kept.
TEST(File, ReplacementsOfKilledProgramsAreRemovedAndLiveOnesKept) {
    TempDir dir;
    const auto path = dir.path() / "Quorlex2000.hex";
    std::ofstream(path) << "good copy";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        CFile file;
        if (file.Open(path.wstring().c_str(), kCreate)) file.Write("part", 4);
        (void)!write(ready[1], "!", 1);
        pause();  // killed here, in the middle of its download
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    kill(child, SIGKILL);
    // Ended, not yet reaped: a zombie whose pid still answers kill(pid, 0).
    siginfo_t ended{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOWAIT), 0);
    ASSERT_EQ(FilesIn(dir.path()), 2u);
    CFile live;
    ASSERT_TRUE(live.Open((dir.path() / "other.hex").wstring().c_str(), kCreate));
    CFile::RemoveAbandonedReplacements(path.wstring().c_str());
    CFile::RemoveAbandonedReplacements((dir.path() / "other.hex").wstring().c_str());
    EXPECT_EQ(FilesIn(dir.path()), 2u) << "the killed program's file went; the live one stays";
    EXPECT_EQ(Contents(path), "good copy");
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
}

}  // namespace

// The user's log: one file kept open per object, a full file moved aside (before the first line
// and in the middle of a run), and a log that cannot be written, or is no regular file, skipped
// without a word and without a wait.
#include "platform/user_log.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

namespace {

using tarvex::platform::UserLog;

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Points XDG_STATE_HOME at `folder` for the object's life.
class StateHome {
  public:
    explicit StateHome(const std::filesystem::path& folder) {
        if (const char* old = std::getenv("XDG_STATE_HOME")) previous_ = old;
        setenv("XDG_STATE_HOME", folder.c_str(), 1);
    }
    ~StateHome() { setenv("XDG_STATE_HOME", previous_.c_str(), 1); }

  private:
    std::string previous_;
};

TEST(UserLog, LinesOfEachObjectFollowTheEarlierOnesAndAreThereAtOnce) {
    TempDir state;
    StateHome home(state.path());
    const auto path = state.path() / "tarvex2" / "jobs.log";
    UserLog first("jobs.log");
    EXPECT_EQ(first.Path(), path.string());
    first.Append("one");
    EXPECT_EQ(Contents(path), "one\n") << "written before the object goes";
    {
        UserLog second("jobs.log");
        second.Append("two");
    }
    first.Append("three");
    EXPECT_EQ(Contents(path), "one\ntwo\nthree\n");
}

TEST(UserLog, FullFileIsMovedAsideBeforeTheFirstLineOnly) {
    TempDir state;
    StateHome home(state.path());
    const auto folder = state.path() / "tarvex2";
    std::filesystem::create_directories(folder);
    const std::string full(UserLog::kRotateAtBytes, 'x');
    std::ofstream(folder / "jobs.log", std::ios::binary) << full;

    UserLog log("jobs.log");
    log.Append("fresh");
    log.Append("again");
    EXPECT_EQ(Contents(folder / "jobs.log"), "fresh\nagain\n");
    EXPECT_EQ(Contents(folder / "jobs.log.1").size(), full.size());
}

TEST(UserLog, LogThatCannotBeWrittenIsSkipped) {
    TempDir state;
    StateHome home(state.path());
    std::ofstream(state.path() / "tarvex2") << "a file where the folder should be";
    UserLog log("jobs.log");
    log.Append("lost");
    log.Append("also lost");
    EXPECT_EQ(Contents(state.path() / "tarvex2"), "a file where the folder should be");
}

TEST(UserLog, AFullFileIsMovedAsideAlsoInTheMiddleOfAWritersRun) {
    TempDir state;
    StateHome home(state.path());
    const auto folder = state.path() / "tarvex2";
    UserLog log("jobs.log");
    const std::string line(999, 'y');
    for (std::uintmax_t written = 0; written < 3 * UserLog::kRotateAtBytes; written += 1000) {
        log.Append(line);
    }
    EXPECT_LE(std::filesystem::file_size(folder / "jobs.log"), UserLog::kRotateAtBytes);
    EXPECT_LE(std::filesystem::file_size(folder / "jobs.log.1"), UserLog::kRotateAtBytes + 1000);
}

// A FIFO, a link or a directory where the log should be: nothing waits, nothing is written
// through the link, and the log is skipped.
TEST(UserLog, OnlyARegularFileIsWrittenAndNothingWaits) {
    TempDir state;
    StateHome home(state.path());
    const auto folder = state.path() / "tarvex2";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(mkfifo((folder / "fifo.log").c_str(), 0600), 0);
    std::ofstream(state.path() / "target") << "keep";
    std::filesystem::create_symlink(state.path() / "target", folder / "link.log");
    std::filesystem::create_directory(folder / "folder.log");

    const pid_t child = fork();
    if (child == 0) {
        alarm(5);  // an open() that waits for a FIFO's reader ends the child by the alarm
        for (const char* name : {"fifo.log", "link.log", "folder.log"}) {
            UserLog log(name);
            log.Append("line");
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the log waited";
    EXPECT_EQ(Contents(state.path() / "target"), "keep");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.log"));
}

}  // namespace

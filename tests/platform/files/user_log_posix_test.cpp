// The user's log on Linux: a FIFO, a link or a folder where the log should be is skipped, and
// nothing waits.
#include "platform/files/user_log.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace {

using tarvex::platform::UserLog;

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

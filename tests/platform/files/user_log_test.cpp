// The user's log, on both systems: one file kept open per object, a full file moved aside (before
// the first line and in the middle of a run), and a log that cannot be written skipped without a
// word.
#include "platform/files/user_log.h"

#include <gtest/gtest.h>

#include <barrier>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/file_contents.h"
#ifndef _WIN32
#include <pthread.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#include "support/temp_dir.h"

namespace {

using tarvex::platform::UserLog;

// Points the user's state folder at `folder` for the object's life: XDG_STATE_HOME on Linux,
// LOCALAPPDATA on Windows (as the program reads it, in wide characters).
class LogHome {
  public:
    explicit LogHome(const std::filesystem::path& folder) : folder_(folder / kLogFolder) {
        if (const auto* old = Get()) previous_ = old;
        Set(folder.native().c_str());
    }
    ~LogHome() { Set(previous_.c_str()); }
    LogHome(const LogHome&) = delete;
    LogHome& operator=(const LogHome&) = delete;

    // Where the logs go.
    const std::filesystem::path& Folder() const { return folder_; }

  private:
#ifdef _WIN32
    static constexpr const char* kLogFolder = "Tarvex2";
    static const wchar_t* Get() { return _wgetenv(L"LOCALAPPDATA"); }
    static void Set(const wchar_t* value) { _wputenv_s(L"LOCALAPPDATA", value); }
#else
    static constexpr const char* kLogFolder = "tarvex2";
    static const char* Get() { return std::getenv("XDG_STATE_HOME"); }
    static void Set(const char* value) { setenv("XDG_STATE_HOME", value, 1); }
#endif
    std::filesystem::path folder_;
    std::filesystem::path::string_type previous_;
};

// `lines` as the log holds them: each with the system's line break.
std::string Lines(std::initializer_list<const char*> lines) {
#ifdef _WIN32
    constexpr const char* kBreak = "\r\n";
#else
    constexpr const char* kBreak = "\n";
#endif
    std::string text;
    for (const char* line : lines) text += std::string(line) + kBreak;
    return text;
}

TEST(UserLog, LinesOfEachObjectFollowTheEarlierOnesAndAreThereAtOnce) {
    TempDir state;
    LogHome home(state.path());
    const auto path = home.Folder() / "jobs.log";
    UserLog first("jobs.log");
    EXPECT_EQ(first.Path(), path.string());
    first.Append("one");
    EXPECT_EQ(Contents(path), Lines({"one"})) << "written before the object goes";
    {
        UserLog second("jobs.log");
        second.Append("two");
    }
    first.Append("three");
    EXPECT_EQ(Contents(path), Lines({"one", "two", "three"}));
}

TEST(UserLog, FullFileIsMovedAsideBeforeTheFirstLineOnly) {
    TempDir state;
    LogHome home(state.path());
    const auto folder = home.Folder();
    std::filesystem::create_directories(folder);
    const std::string full(UserLog::kRotateAtBytes, 'x');
    std::ofstream(folder / "jobs.log", std::ios::binary) << full;

    UserLog log("jobs.log");
    log.Append("fresh");
    log.Append("again");
    EXPECT_EQ(Contents(folder / "jobs.log"), Lines({"fresh", "again"}));
    EXPECT_EQ(Contents(folder / "jobs.log.1").size(), full.size());
}

TEST(UserLog, LogThatCannotBeWrittenIsSkipped) {
    TempDir state;
    LogHome home(state.path());
    std::ofstream(home.Folder()) << "a file where the folder should be";
    UserLog log("jobs.log");
    log.Append("lost");
    log.Append("also lost");
    EXPECT_EQ(Contents(home.Folder()), "a file where the folder should be");
}

TEST(UserLog, AFullFileIsMovedAsideAlsoInTheMiddleOfAWritersRun) {
    TempDir state;
    LogHome home(state.path());
    const auto folder = home.Folder();
    UserLog log("jobs.log");
    const std::string line(999, 'y');
    for (std::uintmax_t written = 0; written < 3 * UserLog::kRotateAtBytes; written += 1000) {
        log.Append(line);
    }
    EXPECT_LE(std::filesystem::file_size(folder / "jobs.log"), UserLog::kRotateAtBytes);
    EXPECT_LE(std::filesystem::file_size(folder / "jobs.log.1"), UserLog::kRotateAtBytes + 1000);
}

// Writer `writer`'s line `number`, of a fixed length, so that a split or mixed line shows.
std::string WriterLine(int writer, int number) {
    std::string line = "w" + std::to_string(writer) + " " + std::to_string(number) + " ";
    return line + std::string(999 - line.size(), '.');
}

// Checks the log and the file moved aside after `writers` wrote `lines` lines each: every line
// whole, each file within its bound and a line, and each writer's lines a run without a gap that
// ends with its last line (what rotation drops is only ever the oldest).
void ExpectNoLineLostOrSplit(const std::filesystem::path& folder, int writers, int lines) {
    std::map<int, std::vector<int>> seen;
    for (const char* name : {"jobs.log.1", "jobs.log"}) {
        const std::string text = Contents(folder / name);
        EXPECT_LE(text.size(), UserLog::kRotateAtBytes + 1001) << name;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            int writer = -1;
            int number = -1;
            std::istringstream fields(line.substr(1));
            fields >> writer >> number;
            ASSERT_EQ(line, WriterLine(writer, number)) << "a split or mixed line in " << name;
            seen[writer].push_back(number);
        }
    }
    ASSERT_EQ(static_cast<int>(seen.size()), writers);
    for (const auto& [writer, numbers] : seen) {
        EXPECT_EQ(numbers.back(), lines - 1) << "writer " << writer << "'s last line";
        for (std::size_t i = 1; i < numbers.size(); ++i) {
            ASSERT_EQ(numbers[i], numbers[i - 1] + 1) << "writer " << writer << " lost a line";
        }
    }
}

// Several writers (several copies of the program, each job a writer of its own) log at once
// across two rotations: the bound holds for the file they share, and no writer's line is lost
// to another's rotation or split by another's line.
TEST(UserLog, SeveralWritersAcrossTwoRotationsLoseNoLine) {
    TempDir state;
    LogHome home(state.path());
    constexpr int kWriters = 4;
    constexpr int kLines = 650;  // 2.6 MB in all: moved aside twice
    // The writers keep in step (ten lines each a round), so that every one of them is still
    // writing when the file is moved aside the second time.
    std::barrier round(kWriters);
    std::vector<std::thread> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        writers.emplace_back([writer, &round] {
            UserLog log("jobs.log");
            for (int number = 0; number < kLines; ++number) {
                log.Append(WriterLine(writer, number));
                if (number % 10 == 9) round.arrive_and_wait();
            }
        });
    }
    for (std::thread& writer : writers) writer.join();
    ExpectNoLineLostOrSplit(home.Folder(), kWriters, kLines);
}

#ifndef _WIN32
// The same with four programs, as a workshop runs them (Windows has no fork: there the writers of
// the test above stand in, each object with a file handle and lock of its own, as a program has).
TEST(UserLog, SeveralProgramsAcrossTwoRotationsLoseNoLine) {
    TempDir state;
    LogHome home(state.path());
    constexpr int kWriters = 4;
    constexpr int kLines = 650;
    // In step as above, through a barrier the programs share.
    auto* round = static_cast<pthread_barrier_t*>(mmap(nullptr, sizeof(pthread_barrier_t),
                                                       PROT_READ | PROT_WRITE,
                                                       MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(round, MAP_FAILED);
    pthread_barrierattr_t shared;
    pthread_barrierattr_init(&shared);
    pthread_barrierattr_setpshared(&shared, PTHREAD_PROCESS_SHARED);
    pthread_barrier_init(round, &shared, kWriters);
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            UserLog log("jobs.log");
            for (int number = 0; number < kLines; ++number) {
                log.Append(WriterLine(writer, number));
                if (number % 10 == 9) pthread_barrier_wait(round);
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    pthread_barrier_destroy(round);
    munmap(round, sizeof(pthread_barrier_t));
    ExpectNoLineLostOrSplit(home.Folder(), kWriters, kLines);
}
#endif

}  // namespace

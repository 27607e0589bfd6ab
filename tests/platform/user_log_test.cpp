// The user's log, on both systems: one file kept open per object, a full file moved aside (before
// the first line and in the middle of a run), and a log that cannot be written skipped without a
// word.
#include "platform/user_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "support/file_contents.h"
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

}  // namespace

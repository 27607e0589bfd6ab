// A plain-text log of the user's, in $XDG_STATE_HOME/tarvex2 (~/.local/state/tarvex2 without
// it; on Windows %LOCALAPPDATA%\Tarvex2), kept below a size by moving the full file to
// "<name>.1", also in the middle of a writer's run. The file stays open for the object's life,
// one write a line, since a job logs every chunk and reply while the device waits. Several
// copies of the program may write the log at once: each line is written under a lock on the
// file, so that a copy that moves the full file aside loses no other copy's lines and the bound
// holds for all of them. Writing it never fails, stops or holds up the caller for more than a
// moment: only a regular file is written, never through a link and never waiting on what the
// name turns out to be (a FIFO); a log that cannot be written is skipped.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tarvex::platform {

// The moment a log line is written, in local time: "2026-12-11 14:05:01.123".
std::string LogTimestamp();

class UserLog {
  public:
    static constexpr std::uintmax_t kRotateAtBytes = 1 << 20;

    explicit UserLog(const std::string& fileName);
    ~UserLog();
    UserLog(const UserLog&) = delete;
    UserLog& operator=(const UserLog&) = delete;
    // Appends `line` and a line break; nothing when the log cannot be written.
    void Append(const std::string& line);
    // The log's path; empty when the user has no state folder.
    const std::string& Path() const { return path_; }

  private:
    // The steps each system gives. Opens the named file (kept open); false when it cannot.
    bool Open();
    void Close();
    // An exclusive lock on the open file, waited for a moment at most; false when another
    // writer holds it longer (the line is then written without it).
    bool Lock();
    enum class LockTry { taken, busy, failed };
    LockTry TryLock();
    void Unlock();
    // Whether the name still names the open file: another writer may have moved it aside.
    bool StillNamed() const;
    std::uintmax_t Size() const;
    // Moves the named file to "<name>.1", replacing the one there.
    void MoveAside();
    void Write(const std::string& line);

    std::string path_;
    struct State;  // the open file, as the system holds it
    std::unique_ptr<State> state_;
    bool failed_ = false;  // the file could not be opened: the log is skipped
};

}  // namespace tarvex::platform

// A plain-text log of the user's, in $XDG_STATE_HOME/tarvex2 (~/.local/state/tarvex2 without
// it), kept below a size by moving the full file to "<name>.1" when the object first writes to
// it. The file stays open for the object's life, one write a line, since a job logs every chunk
// and reply while the device waits. Writing it never fails the caller: a log that cannot be
// written is skipped.
#pragma once

#include <cstdint>
#include <string>

namespace tarvex::platform {

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
    // Opens the file on the first line, moving a full one aside first; false when it cannot.
    bool Open();

    std::string path_;
    int file_ = -1;
    bool failed_ = false;  // the file could not be opened: the log is skipped
};

}  // namespace tarvex::platform

// A plain-text log of the user's, in $XDG_STATE_HOME/tarvex2 (~/.local/state/tarvex2 without
// it), kept below a size by moving the full file to "<name>.1". Writing it never fails the
// caller: a log that cannot be written is skipped.
#pragma once

#include <cstdint>
#include <string>

namespace tarvex::platform {

class UserLog {
  public:
    static constexpr std::uintmax_t kRotateAtBytes = 1 << 20;

    explicit UserLog(const std::string& fileName);
    // Appends `line` and a line break; nothing when the log cannot be written.
    void Append(const std::string& line);
    // The log's path; empty when the user has no state folder.
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace tarvex::platform

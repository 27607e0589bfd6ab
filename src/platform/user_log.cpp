#include "platform/user_log.h"

namespace tarvex::platform {

void UserLog::Append(const std::string& line) {
    // A file moved aside by another writer, or full, is let go of and the name opened afresh.
    // Writers that keep moving it aside cannot hold a line back for ever: the last try writes.
    constexpr int kTries = 4;
    for (int tries = 1;; ++tries) {
        if (!Open()) return;
        const bool locked = Lock();
        const bool lastTry = tries == kTries;
        if (locked && !lastTry && !StillNamed()) {
            Unlock();
            Close();
            continue;
        }
        if (locked && !lastTry && Size() >= kRotateAtBytes) {
            MoveAside();
            Unlock();
            Close();
            continue;
        }
        Write(line);
        if (locked) Unlock();
        return;
    }
}

}  // namespace tarvex::platform

#include "platform/files/user_log.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "platform/system/local_time.h"

namespace tarvex::platform {

std::string LogTimestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    const std::tm local = LocalTime(seconds);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    char withMillis[48];
    std::snprintf(withMillis, sizeof withMillis, "%s.%03d", text, static_cast<int>(millis));
    return withMillis;
}

bool UserLog::Lock() {
    // Another writer holds the lock only while it writes a line or moves the file aside.
    constexpr int kTries = 200;
    for (int tries = 0; tries < kTries; ++tries) {
        const LockTry result = TryLock();
        if (result != LockTry::busy) return result == LockTry::taken;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

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

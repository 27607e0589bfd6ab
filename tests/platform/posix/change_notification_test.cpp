#include "platform/win32.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/emulation.h"
#include "support/temp_dir.h"

namespace {

TEST(ChangeNotification, SignalsOnAChangeAndStaysSignalledUntilRearmed) {
    TempDir dir;
    HANDLE notification = FindFirstChangeNotificationW(dir.path().wstring().c_str(), FALSE,
                                                       FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(notification, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WaitForSingleObject(notification, 0), WAIT_TIMEOUT);

    std::ofstream(dir.path() / "new.hex") << "x";
    EXPECT_EQ(WaitForSingleObject(notification, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(notification, 0), WAIT_OBJECT_0);

    ASSERT_TRUE(FindNextChangeNotification(notification));
    EXPECT_EQ(WaitForSingleObject(notification, 0), WAIT_TIMEOUT);
    std::filesystem::remove(dir.path() / "new.hex");
    EXPECT_EQ(WaitForSingleObject(notification, 5000), WAIT_OBJECT_0);

    ASSERT_TRUE(FindCloseChangeNotification(notification));
    if (kEmulatedWin32) {
        EXPECT_FALSE(FindNextChangeNotification(notification));
    }
}

// The emulation watches one folder, not a tree, and says so.
TEST(ChangeNotification, RefusesWhatItCannotWatch) {
    SKIP_UNLESS_EMULATED();
    TempDir dir;
    const std::wstring path = dir.path().wstring();
    EXPECT_EQ(FindFirstChangeNotificationW(path.c_str(), TRUE, FILE_NOTIFY_CHANGE_FILE_NAME),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_EQ(FindFirstChangeNotificationW((path + L"/missing").c_str(), FALSE,
                                           FILE_NOTIFY_CHANGE_FILE_NAME),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    EXPECT_FALSE(FindCloseChangeNotification(event)) << "an event is not a notification";
    EXPECT_TRUE(CloseHandle(event));
}

}  // namespace

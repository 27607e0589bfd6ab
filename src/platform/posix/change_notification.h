// Directory change notifications (FindFirstChangeNotificationW and its companions) on inotify.
// The handle is signalled when something matching the filter changes in the directory, and stays
// signalled until FindNextChangeNotification re-arms it. Watching a whole subtree is not offered
// (inotify watches one directory): it fails with ERROR_NOT_SUPPORTED.
#pragma once

#include "platform/posix/win32_types.h"

inline constexpr DWORD FILE_NOTIFY_CHANGE_FILE_NAME = 0x001;
inline constexpr DWORD FILE_NOTIFY_CHANGE_DIR_NAME = 0x002;
inline constexpr DWORD FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x004;
inline constexpr DWORD FILE_NOTIFY_CHANGE_SIZE = 0x008;
inline constexpr DWORD FILE_NOTIFY_CHANGE_LAST_WRITE = 0x010;
inline constexpr DWORD FILE_NOTIFY_CHANGE_LAST_ACCESS = 0x020;
inline constexpr DWORD FILE_NOTIFY_CHANGE_CREATION = 0x040;
inline constexpr DWORD FILE_NOTIFY_CHANGE_SECURITY = 0x100;

// Returns INVALID_HANDLE_VALUE on failure.
HANDLE FindFirstChangeNotificationW(const wchar_t* path, BOOL watchSubtree, DWORD filter);
BOOL FindNextChangeNotification(HANDLE notification);
BOOL FindCloseChangeNotification(HANDLE notification);

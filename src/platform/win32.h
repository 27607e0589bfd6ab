// The one place that decides what the Win32 names are. On Windows they are the system's own
// declarations; elsewhere this layer declares the subset the program uses and emulates it
// (platform/posix/). Code above the platform includes this header, never <windows.h> or the
// emulation's headers, so that it compiles against both unchanged.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <objbase.h>
#include <windows.h>
#include <wininet.h>
#else
#include "platform/posix/change_notification.h"
#include "platform/posix/com.h"
#include "platform/posix/kernel_objects.h"
#include "platform/posix/message_box.h"
#include "platform/posix/message_queue.h"
#include "platform/posix/system_messages.h"
#include "platform/posix/threads.h"
#include "platform/posix/win32_types.h"
#endif

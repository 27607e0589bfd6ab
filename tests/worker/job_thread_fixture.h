// What the CJobThread tests share: waiting for a thread and reading its exit code.
#pragma once

#include "worker/job_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/system/threads.h"
#include "platform/win32.h"
#include "support/temp_dir.h"
#include "support/test_worker.h"
#include "worker/wait_pumping.h"

using tarvex::worker::CallOnTarget;

namespace job_thread_test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

inline DWORD ExitCodeOf(HANDLE thread) {
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    return code;
}

// Waits until the held thread has ended and returns its exit code.
inline DWORD WaitForEnd(CJobThread& worker) {
    HANDLE thread = worker.ThreadHandle();
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    return ExitCodeOf(thread);
}

}  // namespace job_thread_test

// Contract of the kernel objects and waits the worker thread is built on.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <utility>
#include <vector>

#include "platform/system/threads.h"
#include "support/emulation.h"

namespace {

using namespace std::chrono_literals;

struct OwnedHandle {
    explicit OwnedHandle(HANDLE h) : handle(h) {}
    OwnedHandle(OwnedHandle&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}
    OwnedHandle(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (handle != nullptr) CloseHandle(handle);
    }
    operator HANDLE() const { return handle; }
    HANDLE handle;
};

OwnedHandle AutoResetEvent() { return OwnedHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr)); }
OwnedHandle ManualResetEvent() { return OwnedHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

TEST(KernelObjects, AutoResetEventIsConsumedByExactlyOneWait) {
    OwnedHandle event = AutoResetEvent();
    ASSERT_NE(event.handle, nullptr);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            if (WaitForSingleObject(event, 300) == WAIT_OBJECT_0) ++woken;
        });
    }
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(SetEvent(event));
    for (auto& waiter : waiters) waiter.join();
    EXPECT_EQ(woken, 1);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);

    SetEvent(event);
    SetEvent(event);  // setting twice still signals one wait
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(KernelObjects, ManualResetEventWakesEveryWaiterAndStaysSignalled) {
    OwnedHandle event = ManualResetEvent();
    std::vector<std::future<DWORD>> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.push_back(
            std::async(std::launch::async, [&] { return WaitForSingleObject(event, INFINITE); }));
    }
    std::this_thread::sleep_for(20ms);
    SetEvent(event);
    for (auto& waiter : waiters) EXPECT_EQ(waiter.get(), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    ResetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(KernelObjects, ZeroTimeOutAnswersAtOnce) {
    OwnedHandle signalled{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
    OwnedHandle quiet = ManualResetEvent();
    EXPECT_EQ(WaitForSingleObject(signalled, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(quiet, 0), WAIT_TIMEOUT);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(quiet, 60), WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms);
}

TEST(KernelObjects, WaitForAnyTakesOnlyTheLowestSignalledIndex) {
    OwnedHandle first = AutoResetEvent();
    OwnedHandle second = AutoResetEvent();
    OwnedHandle third = AutoResetEvent();
    SetEvent(third);
    SetEvent(second);
    HANDLE handles[] = {first, second, third};
    EXPECT_EQ(MsgWaitForMultipleObjects(3, handles, FALSE, 0, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(MsgWaitForMultipleObjects(3, handles, FALSE, 0, 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(MsgWaitForMultipleObjects(3, handles, FALSE, 0, 0), WAIT_TIMEOUT);
}

TEST(KernelObjects, MessageWaitWatchesAtMostSixtyThreeHandles) {
    std::vector<OwnedHandle> events;
    std::vector<HANDLE> handles;
    for (int i = 0; i < 64; ++i) {
        events.push_back(AutoResetEvent());
        handles.push_back(events.back());
    }
    SetEvent(handles[62]);
    EXPECT_EQ(MsgWaitForMultipleObjects(63, handles.data(), FALSE, 0, 0xFF), WAIT_OBJECT_0 + 62);
    SetEvent(handles[0]);
    EXPECT_EQ(MsgWaitForMultipleObjects(64, handles.data(), FALSE, 0, 0xFF), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(WaitForSingleObject(handles[0], 0), WAIT_OBJECT_0) << "a failed wait takes nothing";
    EXPECT_EQ(WaitForMultipleObjects(64, handles.data(), FALSE, 0), WAIT_TIMEOUT);
    if (kEmulatedWin32) {
        EXPECT_EQ(WaitForMultipleObjects(2, handles.data(), TRUE, 0), WAIT_FAILED) << "no wait-all";
    }
}

TEST(KernelObjects, ClosedHandlesFailEveryCall) {
    SKIP_UNLESS_EMULATED();
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_TRUE(CloseHandle(event));
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_FAILED);
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, 0), WAIT_FAILED);
    OwnedHandle another = AutoResetEvent();
    EXPECT_NE(another.handle, event) << "handle values are never reused";
    EXPECT_EQ(CreateEventW(nullptr, FALSE, FALSE, L"named"), nullptr);
}

TEST(KernelObjects, ClosingAHandleDoesNotStrandAThreadWaitingOnIt) {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    auto waiter = std::async(std::launch::async, [&] { return WaitForSingleObject(event, 200); });
    std::this_thread::sleep_for(30ms);
    CloseHandle(event);
    EXPECT_EQ(waiter.get(), WAIT_TIMEOUT);
}

unsigned ReturnArgument(void* argument) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(argument));
}

unsigned WaitForEvent(void* event) { return WaitForSingleObject(event, INFINITE); }

TEST(KernelObjects, ThreadHandleIsSignalledWhenTheThreadEnds) {
    OwnedHandle release = ManualResetEvent();
    unsigned id = 0;
    OwnedHandle thread{BeginThreadEx(nullptr, 0, WaitForEvent, release, 0, &id)};
    ASSERT_NE(thread.handle, nullptr);
    EXPECT_NE(id, 0u);
    DWORD exitCode = 0;
    EXPECT_EQ(WaitForSingleObject(thread, 30), WAIT_TIMEOUT);
    ASSERT_TRUE(GetExitCodeThread(thread, &exitCode));
    EXPECT_EQ(exitCode, STILL_ACTIVE);

    SetEvent(release);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "an ended thread stays signalled";
    ASSERT_TRUE(GetExitCodeThread(thread, &exitCode));
    EXPECT_EQ(exitCode, WAIT_OBJECT_0);
}

TEST(KernelObjects, SuspendedThreadRunsOnlyAfterResume) {
    unsigned id = 0;
    OwnedHandle thread{BeginThreadEx(nullptr, 0, ReturnArgument, reinterpret_cast<void*>(1000),
                                     CREATE_SUSPENDED, &id)};
    EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    EXPECT_EQ(exitCode, 1000u);
    EXPECT_EQ(ResumeThread(thread), 0u);
}

TEST(KernelObjects, ThreadsGetDistinctIdsAndAStackOfTheirOwnSize) {
    unsigned first = 0;
    unsigned second = 0;
    OwnedHandle a{BeginThreadEx(nullptr, 1 << 20, ReturnArgument, nullptr, 0, &first)};
    OwnedHandle b{BeginThreadEx(nullptr, 0, ReturnArgument, nullptr, 0, &second)};
    ASSERT_NE(a.handle, nullptr);
    EXPECT_NE(first, second);
    EXPECT_NE(first, GetCurrentThreadId());
    EXPECT_EQ(WaitForSingleObject(a, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(b, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(BeginThreadEx(nullptr, 0, nullptr, nullptr, 0, &first), nullptr);
}

TEST(KernelObjects, WaitableTimerSignalsWhenDueAndCancelStopsIt) {
    OwnedHandle timer{CreateWaitableTimerW(nullptr, FALSE, nullptr)};
    LARGE_INTEGER in20ms;
    in20ms.QuadPart = -200'000;
    ASSERT_TRUE(SetWaitableTimer(timer, &in20ms, 0, nullptr, nullptr, FALSE));
    EXPECT_EQ(WaitForSingleObject(timer, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(timer, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(timer, 50), WAIT_TIMEOUT) << "auto-reset, no period";

    ASSERT_TRUE(SetWaitableTimer(timer, &in20ms, 0, nullptr, nullptr, FALSE));
    ASSERT_TRUE(CancelWaitableTimer(timer));
    EXPECT_EQ(WaitForSingleObject(timer, 80), WAIT_TIMEOUT);
}

TEST(KernelObjects, PeriodicAndManualResetTimers) {
    OwnedHandle periodic{CreateWaitableTimerW(nullptr, FALSE, nullptr)};
    LARGE_INTEGER soon;
    soon.QuadPart = -10'000;
    ASSERT_TRUE(SetWaitableTimer(periodic, &soon, 10, nullptr, nullptr, FALSE));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(WaitForSingleObject(periodic, 5000), WAIT_OBJECT_0);

    OwnedHandle manual{CreateWaitableTimerW(nullptr, TRUE, nullptr)};
    ASSERT_TRUE(SetWaitableTimer(manual, &soon, 0, nullptr, nullptr, FALSE));
    EXPECT_EQ(WaitForSingleObject(manual, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ASSERT_TRUE(SetWaitableTimer(manual, &soon, 0, nullptr, nullptr, FALSE));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT) << "setting a timer resets it";

    EXPECT_FALSE(SetWaitableTimer(manual, nullptr, 0, nullptr, nullptr, FALSE));
    OwnedHandle event = AutoResetEvent();
    EXPECT_FALSE(SetWaitableTimer(event, &soon, 0, nullptr, nullptr, FALSE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace

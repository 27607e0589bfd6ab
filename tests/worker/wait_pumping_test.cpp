#include "worker/wait_pumping.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/system/threads.h"
#include "platform/win32.h"
#include "support/test_worker.h"

namespace {

using namespace std::chrono_literals;

TEST(WaitPumpingMessages, ZeroTimeOutAnswersAtOnce) {
    TestEvent event;
    event.Set();
    EXPECT_TRUE(WaitPumpingMessages(event.handle(), 0));
    EXPECT_FALSE(WaitPumpingMessages(event.handle(), 0)) << "the auto-reset signal was taken";
    EXPECT_FALSE(WaitPumpingMessages(nullptr, 0)) << "a failed wait";
}

TEST(WaitPumpingMessages, QuitIsDroppedAndDoesNotEndTheWait) {
    TestEvent event;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 0, 0);
    PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(WaitPumpingMessages(event.handle(), 100));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "both messages were taken";
}

TEST(WaitPumpingMessages, SignalArrivingDuringABurstOfMessagesEndsTheWait) {
    TestEvent event;
    std::promise<DWORD> id;
    auto waiter = std::async(std::launch::async, [&] {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        id.set_value(GetCurrentThreadId());
        return WaitPumpingMessages(event.handle(), INFINITE);
    });
    const DWORD target = id.get_future().get();
    for (int i = 0; i < 100; ++i) PostThreadMessageW(target, WM_USER, 0, 0);
    event.Set();
    EXPECT_TRUE(waiter.get());
}

}  // namespace

// Contract of the per-thread message queues.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/system/threads.h"
#include "support/emulation.h"

namespace {

using namespace std::chrono_literals;

// A thread that makes its queue only when told to, then waits until it is told to end.
class QueueThread {
  public:
    QueueThread() {
        thread_ = std::thread([this] {
            id_.set_value(GetCurrentThreadId());
            makeQueue_.get_future().wait();
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
            queueMade_.set_value();
            end_.get_future().wait();
        });
        id = id_.get_future().get();
    }
    ~QueueThread() { Finish(); }
    void MakeQueue() {
        makeQueue_.set_value();
        queueMade_.get_future().wait();
    }
    void Finish() {
        if (!thread_.joinable()) return;
        try {
            makeQueue_.set_value();
        } catch (const std::future_error&) {
            // already told
        }
        end_.set_value();
        thread_.join();
    }
    // Public: the test posts to the thread by its id.
    DWORD id = 0;

  private:
    std::promise<DWORD> id_;
    std::promise<void> makeQueue_, queueMade_, end_;
    std::thread thread_;
};

TEST(MessageQueue, PostBeforeTheQueueExistsFails) {
    QueueThread thread;
    EXPECT_FALSE(PostThreadMessageW(thread.id, WM_NULL, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
    thread.MakeQueue();
    EXPECT_TRUE(PostThreadMessageW(thread.id, WM_NULL, 0, 0));
    thread.Finish();
    EXPECT_FALSE(PostThreadMessageW(thread.id, WM_NULL, 0, 0)) << "the queue ends with its thread";
}

TEST(MessageQueue, MessagesComeInOrderAndNoRemoveLeavesThem) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    const DWORD self = GetCurrentThreadId();
    ASSERT_TRUE(PostThreadMessageW(self, WM_USER + 1, 7, -7));
    ASSERT_TRUE(PostThreadMessageW(self, WM_USER + 2, 8, 8));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 8u);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1);
    EXPECT_EQ(msg.lParam, -7);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, GetMessageReturnsZeroForQuit) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, 0);
    PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 3, 0);
    EXPECT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.wParam, 3u);
    if (kEmulatedWin32) {
        EXPECT_EQ(GetMessageW(nullptr, nullptr, 0, 0), -1);
    }
}

TEST(MessageQueue, InputWakesTheWait) {
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::promise<DWORD> id;
    auto waiter = std::async(std::launch::async, [&] {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        id.set_value(GetCurrentThreadId());
        return MsgWaitForMultipleObjects(1, &never, FALSE, INFINITE, 0xFF);
    });
    const DWORD target = id.get_future().get();
    std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(PostThreadMessageW(target, WM_USER, 0, 0));
    EXPECT_EQ(waiter.get(), WAIT_OBJECT_0 + 1);
    CloseHandle(never);
}

TEST(MessageQueue, OnlyInputNewSinceTheLastLookWakesTheWait) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, 0xFF), WAIT_OBJECT_0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, 0), WAIT_TIMEOUT)
        << "wake mask 0 ignores input";
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, 0xFF), WAIT_TIMEOUT)
        << "a message already looked at is old";
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
}

TEST(MessageQueue, QueueHoldsAtMostTenThousandMessages) {
    if (RunningOnWine()) GTEST_SKIP() << "Wine does not limit a thread's queue, as Windows does";
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, 0));
    EXPECT_FALSE(PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
    int taken = 0;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ++taken;
    EXPECT_EQ(taken, 10000);
}

}  // namespace

// Contract of CJobThread's wait loop: time-out and message handlers, re-armed entries, releasing
// handles, and the object's end.
#include "worker/job_thread_fixture.h"

namespace job_thread_test {

class TimeoutWorker : public TestWorker {
  public:
    TimeoutWorker() {
        onTimeout = &CallOnTarget<&TimeoutWorker::OnTimeout>;
        timeoutTarget = this;
        onMessage = &CallOnTarget<&TimeoutWorker::OnMessage, HWND, UINT, WPARAM, LPARAM>;
        messageTarget = this;
    }
    ~TimeoutWorker() override { EndThreads(); }
    // Public: the test reads how often the time-out handler ran.
    std::atomic<int> timeouts{0};
    std::vector<UINT> seen;  // written on the worker thread, read after it ended

  private:
    bool OnTimeout() { return ++timeouts < 3; }
    BOOL OnMessage(HWND, UINT message, WPARAM, LPARAM) {
        seen.push_back(message);
        return message == WM_USER + 9 ? FALSE : TRUE;
    }
};

TEST(JobThread, TimeOutHandlerDecidesWhetherTheLoopGoesOn) {
    TimeoutWorker worker;
    ASSERT_NE(worker.StartThread(10, CREATE_SUSPENDED, nullptr, 0), nullptr);
    ResumeThread(worker.ThreadHandle());
    EXPECT_EQ(WaitForEnd(worker), 0u);
    EXPECT_EQ(worker.timeouts, 3);
}

TEST(JobThread, MessageHandlerSeesMessagesAndTheRestAfterTheLoop) {
    TimeoutWorker worker;
    TestEvent inHandler;
    TestEvent release;
    HANDLE event = worker.Register([&](TestWorker&) {
        inHandler.Set();
        return release.WaitFor();
    });
    worker.StartThread(INFINITE, 0, nullptr, 0);
    SetEvent(event);
    ASSERT_TRUE(inHandler.WaitFor());
    // Queued while the handler runs: the loop ends at WM_USER + 9 and passes on what follows it.
    PostThreadMessageW(worker.ThreadId(), WM_USER + 8, 0, 0);
    PostThreadMessageW(worker.ThreadId(), WM_USER + 9, 0, 0);
    PostThreadMessageW(worker.ThreadId(), WM_USER + 10, 0, 0);
    release.Set();
    EXPECT_EQ(WaitForEnd(worker), 0u);
    EXPECT_EQ(worker.seen, (std::vector<UINT>{WM_NULL, WM_USER + 8, WM_USER + 9, WM_USER + 10}));
}

TEST(JobThread, ChangeNotificationEntryIsRearmedAfterItsHandler) {
    TempDir dir;
    TestWorker worker;
    std::atomic<int> runs{0};
    TestEvent ran;
    HANDLE notification = FindFirstChangeNotificationW(dir.path().wstring().c_str(), FALSE,
                                                       FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(notification, INVALID_HANDLE_VALUE);
    worker.RegisterHandle(notification, WaitKind::ChangeNotification, [&](TestWorker&) {
        ++runs;
        ran.Set();
        return true;
    });
    worker.StartThread(INFINITE, 0, nullptr, 0);
    std::ofstream(dir.path() / "a") << "1";
    ASSERT_TRUE(ran.WaitFor());
    // Not re-armed, the notification would stay signalled and run the handler again and again.
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(runs, 1);
    std::ofstream(dir.path() / "b") << "2";
    ASSERT_TRUE(ran.WaitFor());
    EXPECT_GE(runs, 2);
}

TEST(JobThread, ReleaseWaitHandleClosesByKind) {
    TestWorker worker;
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE borrowed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE timer = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    LARGE_INTEGER soon;
    soon.QuadPart = -10'000;
    SetWaitableTimer(timer, &soon, 5, nullptr, nullptr, FALSE);
    worker.AddWaitHandle({nullptr, nullptr, event, true, WaitKind::Event});
    worker.AddWaitHandle({nullptr, nullptr, borrowed, false, WaitKind::Event});
    worker.AddWaitHandle({nullptr, nullptr, timer, true, WaitKind::Timer});
    worker.AddWaitHandle({nullptr, nullptr, nullptr, true, WaitKind::Event});

    EXPECT_EQ(worker.ReleaseWaitHandle(-1), E_INVALIDARG);
    EXPECT_EQ(worker.ReleaseWaitHandle(4), E_INVALIDARG);
    EXPECT_EQ(worker.ReleaseWaitHandle(0), S_OK);
    EXPECT_FALSE(SetEvent(event)) << "closed";
    EXPECT_EQ(worker.ReleaseWaitHandle(0), E_FAIL) << "a second close fails";
    EXPECT_EQ(worker.ReleaseWaitHandle(1), S_OK);
    EXPECT_TRUE(SetEvent(borrowed)) << "not owned, so not closed";
    EXPECT_EQ(worker.ReleaseWaitHandle(2), S_OK);
    EXPECT_FALSE(CancelWaitableTimer(timer));
    EXPECT_EQ(worker.ReleaseWaitHandle(3), S_OK) << "no handle, nothing to close";
    CloseHandle(borrowed);
}

TEST(JobThread, DestroyingTheObjectStopsItsThreadAndClosesItsHandles) {
    HANDLE first;
    HANDLE second;
    HANDLE started;
    HANDLE thread;
    {
        TestWorker worker;
        first = worker.Register([](TestWorker&) { return true; });
        second = worker.Register([](TestWorker&) { return true; });
        started = worker.StartedEvent();
        thread = worker.StartThread(INFINITE, 0, nullptr, 0);
        ASSERT_NE(thread, nullptr);
    }
    EXPECT_FALSE(CloseHandle(first));
    EXPECT_FALSE(CloseHandle(second));
    EXPECT_FALSE(CloseHandle(started));
    EXPECT_FALSE(CloseHandle(thread));
}

TEST(JobThread, DestroyingTheObjectWaitsForAThreadItLetGoOf) {
    std::atomic<bool> handlerFinished{false};
    TestEvent inHandler;
    {
        TestWorker worker;
        HANDLE event = worker.Register([&](TestWorker& self) {
            self.StopThread(nullptr, 0);
            inHandler.Set();
            std::this_thread::sleep_for(200ms);  // still using the object after letting go
            handlerFinished = true;
            return true;
        });
        worker.StartThread(INFINITE, 0, nullptr, 0);
        SetEvent(event);
        ASSERT_TRUE(inHandler.WaitFor());
    }
    EXPECT_TRUE(handlerFinished);
}

TEST(JobThreadDeathTest, ThreadStuckBeyondTheEndWaitEndsTheProcess) {
    // A handler blocked where nothing can cancel it must not keep the process alive for ever:
    // once the object's end wait has run out, the process ends, and the thread with it.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto started = Clock::now();
    EXPECT_EXIT(
        {
            TestEvent never;
            TestEvent inHandler;
            {
                TestWorker worker;
                HANDLE event = worker.Register([&](TestWorker&) {
                    inHandler.Set();
                    never.WaitFor(INFINITE);
                    return true;
                });
                worker.StartThread(INFINITE, 0, nullptr, 0);
                SetEvent(event);
                inHandler.WaitFor();
            }
            std::fprintf(stderr, "the object outlived its thread\n");
            std::exit(3);
        },
        testing::ExitedWithCode(0), "CJobThread: a thread did not end in time");
    // The end wait is 5 s; the rest is the child's start-up.
    EXPECT_LT(Clock::now() - started, 7s);
}

TEST(JobThread, AnOldThreadEndingLateLeavesTheNewStartSignalled) {
    TestEvent release;
    TestEvent inHandler;
    TestWorker worker;
    HANDLE event = worker.Register([&](TestWorker& self) {
        self.StopThread(nullptr, 0);  // lets go of this thread, as a job does at its end
        inHandler.Set();
        release.WaitFor();
        return false;  // and the old thread ends, after a new one has started
    });
    ASSERT_NE(worker.StartThread(INFINITE, 0, nullptr, 0), nullptr);
    SetEvent(event);
    ASSERT_TRUE(inHandler.WaitFor());
    ASSERT_NE(worker.StartThread(INFINITE, 0, nullptr, 0), nullptr);
    EXPECT_EQ(WaitForSingleObject(worker.StartedEvent(), 0), WAIT_OBJECT_0);
    release.Set();
    // The old thread's end, a moment later, must not reset the event of the new start.
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(WaitForSingleObject(worker.StartedEvent(), 0), WAIT_OBJECT_0);
}

}  // namespace job_thread_test

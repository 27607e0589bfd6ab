// Contract of CJobThread: its handle table, starting and stopping the thread, and the wait loop.
#include "worker/job_thread_fixture.h"

namespace job_thread_test {

TEST(JobThread, ConstructionSetsTheDocumentedValues) {
    TestWorker worker;
    EXPECT_EQ(worker.ThreadHandle(), nullptr);
    EXPECT_EQ(worker.ThreadId(), 0u);
    EXPECT_EQ(worker.WaitTimeout(), INFINITE);
    EXPECT_EQ(worker.comInitFlags, 0u);
    EXPECT_EQ(WaitForSingleObject(worker.StartedEvent(), 0), WAIT_TIMEOUT);
    EXPECT_TRUE(worker.dispatchMessages);
    EXPECT_TRUE(worker.reportFailures);
    EXPECT_FALSE(worker.rethrowFailures);
    EXPECT_EQ(worker.name, L"CJobThread");
    EXPECT_EQ(worker.HandlesChanged(), 0);
}

TEST(JobThread, SignalledEventRunsItsHandlerOnTheWorkerThread) {
    TestWorker worker;
    TestEvent ran;
    std::atomic<DWORD> handlerThread{0};
    HANDLE first = worker.Register([&](TestWorker&) {
        handlerThread = GetCurrentThreadId();
        ran.Set();
        return true;
    });
    HANDLE second = worker.Register([&](TestWorker&) { return true; });
    EXPECT_EQ(worker.HandlesChanged(), 1);
    ASSERT_NE(worker.StartThread(INFINITE, 0, nullptr, 0), nullptr);
    EXPECT_EQ(WaitForSingleObject(worker.StartedEvent(), 0), WAIT_OBJECT_0);
    SetEvent(first);
    ASSERT_TRUE(ran.WaitFor());
    EXPECT_EQ(handlerThread, worker.ThreadId());
    EXPECT_EQ(worker.HandlesChanged(), 0) << "the loop's first array holds both events";
    (void)second;
}

TEST(JobThread, StartThreadWhileRunningOnlyStoresTheTimeOut) {
    TestWorker worker;
    HANDLE thread = worker.StartThread(INFINITE, 0, nullptr, 0);
    ASSERT_NE(thread, nullptr);
    const DWORD id = worker.ThreadId();
    EXPECT_EQ(worker.StartThread(1234, 0, nullptr, 0), thread);
    EXPECT_EQ(worker.ThreadId(), id);
    EXPECT_EQ(worker.WaitTimeout(), 1234u);

    PostThreadMessageW(id, WM_USER + 1, 0, 0);
    ASSERT_TRUE(worker.userMessageSeen.WaitFor());
    EXPECT_EQ(worker.nullMessages, 1) << "only the post that succeeded leaves a WM_NULL behind";
}

TEST(JobThread, StartThreadAfterTheThreadEndedStartsANewOne) {
    TestWorker worker;
    HANDLE event = worker.Register([](TestWorker&) { return false; });
    HANDLE first = worker.StartThread(INFINITE, 0, nullptr, 0);
    const DWORD firstId = worker.ThreadId();
    SetEvent(event);
    EXPECT_EQ(WaitForEnd(worker), 0u) << "a handler returning false ends the loop normally";
    EXPECT_EQ(worker.ThreadHandle(), first) << "an ended thread is still held";

    HANDLE second = worker.StartThread(INFINITE, 0, nullptr, 0);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_NE(worker.ThreadId(), firstId);
    EXPECT_FALSE(CloseHandle(first)) << "the old handle was closed";
}

TEST(JobThread, StartThreadSuspendedReturnsAtOnce) {
    TestWorker worker;
    HANDLE thread = worker.StartThread(INFINITE, CREATE_SUSPENDED, nullptr, 0);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(worker.StartedEvent(), 0), WAIT_TIMEOUT);
    EXPECT_FALSE(PostThreadMessageW(worker.ThreadId(), WM_NULL, 0, 0)) << "no queue yet";

    ResumeThread(thread);
    ASSERT_EQ(WaitForSingleObject(worker.StartedEvent(), 10000), WAIT_OBJECT_0);
    PostThreadMessageW(worker.ThreadId(), WM_USER + 2, 0, 0);
    ASSERT_TRUE(worker.userMessageSeen.WaitFor());
    EXPECT_EQ(worker.nullMessages, 0);
}

class RefusingWorker : public TestWorker {
  public:
    bool OnThreadStart() override { return false; }
};

TEST(JobThread, ThreadThatEndsBeforeItsQueueExistsYieldsNone) {
    RefusingWorker worker;
    EXPECT_EQ(worker.StartThread(INFINITE, 0, nullptr, 0), nullptr);
    EXPECT_EQ(worker.ThreadHandle(), nullptr);
    EXPECT_EQ(worker.ThreadId(), 0u);
    EXPECT_EQ(WaitForSingleObject(worker.StartedEvent(), 0), WAIT_TIMEOUT);
}

TEST(JobThread, StopThreadWithNoThreadReturnsEHandleAndChangesNothing) {
    TestWorker worker;
    TestEvent event;
    EXPECT_EQ(worker.StopThread(event.handle(), 100), E_HANDLE);
    EXPECT_EQ(worker.ThreadHandle(), nullptr);
    EXPECT_EQ(worker.ThreadId(), 0u);
    EXPECT_FALSE(event.WaitFor(0)) << "the event is not set either";
}

TEST(JobThread, StopThreadEndsTheLoopAndSetsTheEvent) {
    TestWorker worker;
    HANDLE thread = worker.StartThread(INFINITE, 0, nullptr, 0);
    TestEvent event;
    EXPECT_EQ(worker.StopThread(event.handle(), 5000), S_OK);
    EXPECT_TRUE(event.WaitFor(0));
    EXPECT_EQ(worker.ThreadHandle(), nullptr);
    EXPECT_EQ(worker.ThreadId(), 0u);
    EXPECT_FALSE(CloseHandle(thread)) << "the ended thread's handle is closed";
}

TEST(JobThread, StopThreadOnTheWorkerItselfWaitsTheWholeTimeOut) {
    TestWorker worker;
    std::atomic<HRESULT> result{E_FAIL};
    std::atomic<bool> clearedDuringHandler{false};
    std::atomic<Clock::duration> waited{};
    std::atomic<int> runs{0};
    TestEvent done;
    HANDLE event = worker.Register([&](TestWorker& self) {
        const auto start = Clock::now();
        result = self.StopThread(nullptr, 300);
        waited = Clock::now() - start;
        clearedDuringHandler = self.ThreadHandle() == nullptr && self.ThreadId() == 0;
        ++runs;
        done.Set();
        return true;  // the loop goes on, on a thread nobody holds
    });
    worker.StartThread(INFINITE, 0, nullptr, 0);
    SetEvent(event);
    ASSERT_TRUE(done.WaitFor());
    EXPECT_EQ(result, S_OK);
    EXPECT_GE(waited.load(), 300ms);
    EXPECT_TRUE(clearedDuringHandler);

    // Its own WM_QUIT was taken and dropped by the wait: the let-go loop still serves the table.
    SetEvent(event);
    ASSERT_TRUE(done.WaitFor());
    EXPECT_EQ(runs, 2);
}

TEST(JobThread, HandlerThatStopsItsThreadAndReturnsFalseEndsIt) {
    TestWorker worker;
    TestEvent done;
    HANDLE event = worker.Register([&](TestWorker& self) {
        self.StopThread(nullptr, 50);
        done.Set();
        return false;
    });
    worker.StartThread(INFINITE, 0, nullptr, 0);
    SetEvent(event);
    ASSERT_TRUE(done.WaitFor());
    // The next start finds no handle and makes a new thread, which serves the same table.
    ASSERT_NE(worker.StartThread(INFINITE, 0, nullptr, 0), nullptr);
    SetEvent(event);
    EXPECT_TRUE(done.WaitFor());
}

TEST(JobThread, EmptyTableWaitsOnTheQueueOnly) {
    TestWorker worker;
    worker.StartThread(INFINITE, 0, nullptr, 0);
    PostThreadMessageW(worker.ThreadId(), WM_USER + 3, 0, 0);
    ASSERT_TRUE(worker.userMessageSeen.WaitFor());
    EXPECT_EQ(worker.lastUserMessage, WM_USER + 3);
    PostThreadMessageW(worker.ThreadId(), WM_QUIT, 0, 0);
    EXPECT_EQ(WaitForEnd(worker), 0u);
}

TEST(JobThread, HandleRegisteredWhileRunningWaitsForTheRefreshMessage) {
    TestWorker worker;
    TestEvent lateRan;
    worker.Register([](TestWorker&) { return true; });
    worker.StartThread(INFINITE, 0, nullptr, 0);
    // The loop has built its handle array once it serves a message: a thread slow to start
    // would otherwise build it with the late handle already in the table.
    PostThreadMessageW(worker.ThreadId(), WM_USER + 3, 0, 0);
    ASSERT_TRUE(worker.userMessageSeen.WaitFor());
    HANDLE late = worker.Register([&](TestWorker&) {
        lateRan.Set();
        return true;
    });
    SetEvent(late);
    EXPECT_FALSE(lateRan.WaitFor(150)) << "not in the loop's handle array yet";
    PostThreadMessageW(worker.ThreadId(), kRefreshHandlesMessage, 0, 0);
    EXPECT_TRUE(lateRan.WaitFor()) << "the signal stayed until the rebuilt array took it";
}

TEST(JobThread, FailedWaitRebuildsOnlyWhileAChangeIsPending) {
    TestWorker worker;
    TestEvent lateRan;
    worker.Register([](TestWorker&) { return true; });
    worker.StartThread(200, 0, nullptr, 0);  // a time-out with no handler counts as a failed wait
    HANDLE late = worker.Register([&](TestWorker&) {
        lateRan.Set();
        return true;
    });
    SetEvent(late);
    EXPECT_TRUE(lateRan.WaitFor()) << "the first time-out rebuilt the array";
    EXPECT_EQ(WaitForEnd(worker), 0u) << "the next one, with nothing pending, ends the loop";
}

TEST(JobThread, MoreThanSixtyThreeEntriesMakeEveryWaitFail) {
    TestWorker worker;
    for (int i = 0; i < 64; ++i) {
        HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        worker.AddWaitHandle(WaitEntry{nullptr, nullptr, event, true, WaitKind::Event});
    }
    // Started suspended: the loop ends at its first wait, which would otherwise come before
    // StartThread's first post and look like a thread that never made its queue.
    ASSERT_NE(worker.StartThread(INFINITE, CREATE_SUSPENDED, nullptr, 0), nullptr);
    ResumeThread(worker.ThreadHandle());
    EXPECT_EQ(WaitForEnd(worker), 0u);
}

TEST(JobThread, QuitPostedDuringAHandlerEndsTheLoopAfterIt) {
    TestWorker worker;
    TestEvent inHandler;
    TestEvent release;
    std::atomic<bool> finished{false};
    HANDLE event = worker.Register([&](TestWorker&) {
        inHandler.Set();
        release.WaitFor();
        finished = true;
        return true;
    });
    worker.StartThread(INFINITE, 0, nullptr, 0);
    SetEvent(event);
    ASSERT_TRUE(inHandler.WaitFor());
    PostThreadMessageW(worker.ThreadId(), WM_QUIT, 0, 0);
    release.Set();
    EXPECT_EQ(WaitForEnd(worker), 0u);
    EXPECT_TRUE(finished) << "the handler was not interrupted";
}

TEST(JobThread, EventSignalledDuringAHandlerIsServedAfterIt) {
    TestWorker worker;
    std::atomic<int> runs{0};
    TestEvent done;
    HANDLE event = worker.Register([&](TestWorker&) {
        if (++runs == 1) {
            std::this_thread::sleep_for(50ms);
        } else {
            done.Set();
        }
        return true;
    });
    worker.StartThread(INFINITE, 0, nullptr, 0);
    SetEvent(event);
    while (runs == 0) std::this_thread::sleep_for(1ms);
    SetEvent(event);
    EXPECT_TRUE(done.WaitFor());
    EXPECT_EQ(runs, 2);
}

}  // namespace job_thread_test

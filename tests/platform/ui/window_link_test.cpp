// Synchronous calls into the window thread, and the window thread's pumping wait.
#include "platform/ui/window_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "platform/win32.h"
#include "support/test_worker.h"
#include "support/window_driver.h"
#include "worker/wait_pumping.h"

namespace {

using drive::WaitUntil;
using tarvex::platform::WindowLink;

bool Ready(std::future<bool>& result) {
    return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

TEST(WindowLink, CallFromAWorkerRunsOnTheWindowThreadAndWaitsForIt) {
    auto link = WindowLink::Create();
    std::thread::id ranOn;
    auto result = std::async(
        std::launch::async, [&] { return link->Run([&] { ranOn = std::this_thread::get_id(); }); });
    ASSERT_TRUE(WaitUntil([&] { return Ready(result); }));
    EXPECT_TRUE(result.get());
    EXPECT_EQ(ranOn, std::this_thread::get_id());

    int direct = 0;
    EXPECT_TRUE(link->Run([&] { ++direct; })) << "on the window thread it runs at once";
    EXPECT_EQ(direct, 1);
}

TEST(WindowLink, QueuedCallsFailOnceTheLinkIsClosedOrGone) {
    for (bool destroy : {false, true}) {
        auto link = WindowLink::Create();
        std::atomic<bool> ran{false};
        std::promise<void> posted;
        auto result = std::async(std::launch::async, [&, raw = link.get()] {
            posted.set_value();
            return raw->Run([&] { ran = true; });
        });
        posted.get_future().wait();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the call is queued now
        if (destroy) {
            link.reset();
        } else {
            link->Close();
        }
        ASSERT_TRUE(WaitUntil([&] { return Ready(result); }));
        EXPECT_FALSE(result.get());
        EXPECT_FALSE(ran);
    }
}

TEST(WindowLink, RaisedFailureReachesTheCaller) {
    auto link = WindowLink::Create();
    auto result = std::async(std::launch::async, [&] {
        return link->Run([] { throw std::runtime_error("in the window thread"); });
    });
    ASSERT_TRUE(WaitUntil([&] { return Ready(result); }));
    EXPECT_THROW(result.get(), std::runtime_error);
}

TEST(WindowThreadWait, ServesTheWorkersCallsWhileItWaits) {
    auto link = WindowLink::Create();
    std::atomic<int> calls{0};
    TestWorker worker;
    HANDLE event = worker.Register([&](TestWorker&) {
        for (int i = 0; i < 100; ++i) link->Run([&] { ++calls; });
        return false;
    });
    HANDLE thread = worker.StartThread(INFINITE, 0, nullptr, 0);
    SetEvent(event);
    // The worker blocks in its calls into this thread: only a pumping wait lets it finish.
    EXPECT_TRUE(WaitPumpingMessages(thread, 20000));
    EXPECT_EQ(calls, 100);
}

TEST(WindowThreadWait, TimesOutAndAnswersAtOnceForZero) {
    TestEvent event;
    EXPECT_FALSE(WaitPumpingMessages(event.handle(), 30));
    EXPECT_FALSE(WaitPumpingMessages(event.handle(), 0));
    event.Set();
    EXPECT_TRUE(WaitPumpingMessages(event.handle(), 0));
    event.Set();
    EXPECT_TRUE(WaitPumpingMessages(event.handle(), INFINITE));
    EXPECT_FALSE(WaitPumpingMessages(nullptr, 1000)) << "a failed wait";
}

// With no time to wait, what is already queued for the window thread is still served, as the
// pumping wait takes every waiting message before it looks at the handle again.
TEST(WindowThreadWait, ZeroTimeOutServesWhatIsAlreadyQueued) {
    TestEvent event;
    tarvex::platform::PostToWindowThread([&] { event.Set(); });
    EXPECT_TRUE(WaitPumpingMessages(event.handle(), 0));
}

// A WM_QUIT the wait takes does not end it; it is posted again once the wait is over, so that the
// loop it was meant for still ends.
TEST(WindowThreadWait, AQuitTakenByTheWaitNeitherEndsItNorIsLost) {
    TestEvent event;
    MSG quit{};
    PeekMessageW(&quit, nullptr, 0, 0, PM_NOREMOVE);  // makes this thread's queue
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 7, 0));
    tarvex::platform::PostToWindowThread([&] { event.Set(); });
    EXPECT_TRUE(WaitPumpingMessages(event.handle(), 20000));
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
}

// The window thread's wait ends at its time-out even while the worker keeps calling into it: a
// time-out started afresh after each call would never end.
TEST(WindowThreadWait, EndsAtItsTimeOutWhileTheWorkerKeepsCalling) {
    auto link = WindowLink::Create();
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
    std::thread worker([&] {
        while (!stop) {
            link->Run([] {});
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ended = true;
    });
    TestEvent never;
    EXPECT_FALSE(WaitPumpingMessages(never.handle(), 300));
    stop = true;
    link->Close();
    // A call the worker posted just before the close fails only once the window thread takes
    // it up, as the program's window thread always goes on to do.
    while (!ended) WaitPumpingMessages(never.handle(), 10);
    worker.join();
}

}  // namespace

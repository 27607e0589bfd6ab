// How the worker's wait loop behaves while it waits, each figure against a reference of the same
// run in interleaved pairs:
//  1. the CPU time a process with a waiting worker uses in 2 s, less that of the same process
//     without the worker (goal 0: the loop must not poll);
//  2. the latency from SetEvent on another thread to the handler running, against the same
//     event waited on by a bare thread with WaitForSingleObject (p99 of each block of rounds).
#include <atomic>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "bench_stats.h"
#include "platform/win32.h"
#include "worker/job_thread.h"

using tarvex::worker::CallOnTarget;

namespace {

using tarvex::bench::Clock;

class LatencyWorker : public CJobThread {
  public:
    LatencyWorker() {
        event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        AddWaitHandle(
            {&CallOnTarget<&LatencyWorker::OnSignal>, this, event, true, WaitKind::Event});
        AddWaitHandle({nullptr, nullptr, CreateEventW(nullptr, FALSE, FALSE, nullptr), true,
                       WaitKind::Event});
    }
    ~LatencyWorker() override { CloseHandle(done); }

    // Public: the bench signals the event and reads when the handler ran.
    HANDLE event;
    HANDLE done;
    std::atomic<Clock::rep> ranAt{0};

  private:
    bool OnSignal() {
        ranAt = Clock::now().time_since_epoch().count();
        SetEvent(done);
        return true;
    }
};

// A bare thread that waits on `event` and notes when it woke, `rounds` times.
class BareWaiter {
  public:
    explicit BareWaiter(int rounds)
        : thread_([this, rounds] {
              for (int i = 0; i < rounds; ++i) {
                  WaitForSingleObject(event, INFINITE);
                  ranAt = Clock::now().time_since_epoch().count();
                  SetEvent(done);
              }
          }) {}
    ~BareWaiter() {
        thread_.join();
        CloseHandle(event);
        CloseHandle(done);
    }
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    // Public: the bench reads when the thread woke.
    std::atomic<Clock::rep> ranAt{0};

  private:
    std::thread thread_;
};

// p99 of `rounds` times from SetEvent(event) to the waiter noting `ranAt`, in microseconds.
template <typename Waiter>
double P99Latency(Waiter& waiter, int rounds) {
    std::vector<double> us;
    for (int i = 0; i < rounds; ++i) {
        const auto setAt = Clock::now();
        SetEvent(waiter.event);
        WaitForSingleObject(waiter.done, INFINITE);
        const auto ranAt = Clock::time_point(Clock::duration(waiter.ranAt.load()));
        us.push_back(std::chrono::duration<double, std::micro>(ranAt - setAt).count());
    }
    return tarvex::bench::Percentile(us, 0.99);
}

double CpuMsOverTwoSeconds(bool withWorker) {
    std::optional<LatencyWorker> worker;
    if (withWorker) worker.emplace().StartThread(INFINITE, 0, nullptr, 0);
    const double before = tarvex::bench::ProcessCpuMs();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double used = tarvex::bench::ProcessCpuMs() - before;
    if (worker) worker->StopThread(nullptr, 5000);
    return used;
}

}  // namespace

int main() {
    const auto extra = tarvex::bench::Interleaved(
        3, [] { return CpuMsOverTwoSeconds(true); }, [] { return CpuMsOverTwoSeconds(false); },
        [](double worker, double alone) { return worker - alone; });
    tarvex::bench::PrintSpread(
        "1. CPU ms of 2 s with a waiting worker, less the same 2 s without it", extra, "%.3f", "0");

    constexpr int kRounds = 2000;
    LatencyWorker worker;
    worker.StartThread(INFINITE, 0, nullptr, 0);
    std::vector<double> workerUs;  // each block's p99, for comparing systems
    const auto ratios = tarvex::bench::Interleaved(
        10,
        [&] {
            workerUs.push_back(P99Latency(worker, kRounds));
            return workerUs.back();
        },
        [&] {
            BareWaiter bare(kRounds);
            return P99Latency(bare, kRounds);
        },
        tarvex::bench::Ratio);
    tarvex::bench::PrintSpread(
        "2. SetEvent to handler, worker loop / bare waiting thread, p99 of " +
            std::to_string(kRounds) + " rounds",
        ratios, "%.2f", "<= 2");
    tarvex::bench::PrintSpread("   the worker loop's p99 in microseconds", workerUs, "%.0f", "-");
    worker.StopThread(nullptr, 5000);
    return 0;
}

// The bare device jobs over a pseudo-terminal (no window; bench/window_bench.cpp measures the
// jobs through the window), each figure against a reference of the same run:
//  3. a console transfer paced at 115200 baud, against 10 bits a byte;
//  5. CPU time while a job waits for a silent console, against the same wait without a job;
//  6. peak memory of a process running a console transfer of a 10 MB image, against the same
//     program doing nothing, each in a process of its own.
// (The numbers follow the rows of bench/README.md.)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <thread>
#include <vector>

#include "bench_stats.h"
#include "device_line.h"
#include "firmware_file.h"
#include "platform/text.h"
#include "support/recording_job_host.h"
#include "update/console_job.h"

using tarvex::update::RunConsoleReprogramming;

namespace {

using namespace std::chrono_literals;
using tarvex::bench::Clock;
using tarvex::bench::Seconds;
using tarvex::devsim::Bytes;
using tarvex::devsim::DeviceLine;
using tarvex::platform::Cancellation;

std::string WriteFile(const std::string& name, const Bytes& bytes) {
    const std::string path = "/tmp/tarvex2-bench-" + std::to_string(getpid()) + "-" + name;
    tarvex::devsim::WriteFirmwareFile(path, bytes);
    return path;
}

// A host that does nothing but what the job needs to run.
// The console job running on its own thread against `line`, set up and waiting for markers.
class ConsoleJobRun {
  public:
    ConsoleJobRun(DeviceLine& line, const std::string& file)
        : host_(tarvex::platform::WidenAnsi(line.PortPath()), tarvex::platform::WidenAnsi(file),
                cancellation_),
          thread_([this] { RunConsoleReprogramming(host_); }) {
        line.WaitConfigured(115200, false, 10s);
    }
    // Waits for the job to end by itself, or ends it when `cancel`.
    void Finish(bool cancel = false) {
        if (cancel) cancellation_->Cancel();
        if (thread_.joinable()) thread_.join();
    }
    ~ConsoleJobRun() { Finish(true); }

  private:
    std::shared_ptr<Cancellation> cancellation_ = std::make_shared<Cancellation>();
    WindowlessJobHost host_;
    std::thread thread_;
};

// 115200 bytes... paced by the simulator at the console's 115200 baud; the figure is the time
// over what 10 bits a byte take.
double PacedOverLineTime() {
    const std::size_t size = 23040;  // 2 s at 11520 bytes a second
    const Bytes image = tarvex::devsim::MakeFieldUpdate(size);
    DeviceLine line;
    ConsoleJobRun job(line, WriteFile("rate.hex", image));
    line.Send("!6");
    const auto start = Clock::now();
    line.ReceiveCount(size, 60s, 115200.0 / 10);
    const double seconds = Seconds(Clock::now() - start);
    job.Finish();
    return seconds / (static_cast<double>(size) * 10 / 115200);
}

void LineRate() {
    std::vector<double> ratios;
    for (int run = 0; run < 3; ++run) ratios.push_back(PacedOverLineTime());
    tarvex::bench::PrintSpread("3. 23040 bytes paced at 115200 baud / 10 bits a byte, runs", ratios,
                               "%.4f", "within 1 %");
}

// CPU milliseconds the process uses in 2 s, with a job waiting for a silent console or not.
double CpuMsOverTwoSeconds(bool withJob) {
    DeviceLine line;
    std::optional<ConsoleJobRun> job;
    if (withJob) job.emplace(line, WriteFile("idle.hex", {'x'}));
    const double before = tarvex::bench::ProcessCpuMs();
    std::this_thread::sleep_for(2s);
    return tarvex::bench::ProcessCpuMs() - before;
}

void IdleCpu() {
    const auto extra = tarvex::bench::Interleaved(
        3, [] { return CpuMsOverTwoSeconds(true); }, [] { return CpuMsOverTwoSeconds(false); },
        [](double job, double plain) { return job - plain; });
    tarvex::bench::PrintSpread(
        "5. CPU ms of a job waiting 2 s for a silent console, less the same wait without it", extra,
        "%.2f", "0");
}

// The child's side of the memory figure: a console job on `port` with `file`, to its end.
int RunConsoleJobAlone(const std::string& port, const std::string& file) {
    auto cancellation = std::make_shared<Cancellation>();
    WindowlessJobHost host(tarvex::platform::WidenAnsi(port), tarvex::platform::WidenAnsi(file),
                           cancellation);
    if (!RunConsoleReprogramming(host)) return 1;
    std::printf("%ld\n", tarvex::bench::OwnPeakRssKb());
    return 0;
}

void PeakMemory() {
    const Bytes image = tarvex::devsim::MakeFieldUpdate(10 << 20);
    const std::string file = WriteFile("big.hex", image);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const double imageKb = static_cast<double>(image.size()) / 1024;
    const auto ratios = tarvex::bench::Interleaved(
        3,
        [&] {
            DeviceLine line;
            std::thread device([&] {
                line.WaitConfigured(115200, false, 10s);
                line.Send("!6");
                line.ReceiveCount(image.size(), 120s);
            });
            const long kb = tarvex::bench::ChildPeakRssKb(self + " --console-job " +
                                                          line.PortPath() + " " + file);
            device.join();
            return static_cast<double>(kb);
        },
        [&] { return static_cast<double>(tarvex::bench::ChildPeakRssKb(self + " --nothing")); },
        [&](double job, double alone) { return (job - alone) / imageKb; });
    tarvex::bench::PrintSpread(
        "6. peak memory of a process running a console transfer of a 10 MB image, less that of "
        "the same program doing nothing, in images",
        ratios, "%.2f", "about 1: the image is held once");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--console-job")
        return RunConsoleJobAlone(argv[2], argv[3]);
    if (argc == 2 && std::string(argv[1]) == "--nothing") {
        std::printf("%ld\n", tarvex::bench::OwnPeakRssKb());
        return 0;
    }
    LineRate();
    IdleCpu();
    PeakMemory();
    (void)!std::system(("rm -f /tmp/tarvex2-bench-" + std::to_string(getpid()) + "-*").c_str());
    return 0;
}

// The device jobs through the real main window: LoaderDialog on the offscreen platform, its job
// host and job log, and the window thread's synchronous calls all in the path, with the device
// simulator on a pseudo-terminal. Each figure is set against a reference measured in the same
// run, in interleaved pairs:
//  1. marker to reply: "!0" sent to "#0" received while a console job waits for its markers,
//     against a bare responder answering on a pty of its own (p99 of each block of rounds);
//  2. sign overhead a block: a sign transmission in 1024-byte blocks, each with its progress
//     call, against plain write() calls of the same blocks to the same pty;
//  3. console transfer, unpaced: "!6" to the last byte of the image, against `dd` writing the
//     same file to the same pty.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QEventLoop>
#include <QLineEdit>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "app/loader_dialog.h"
#include "app/resource.h"
#include "bench_stats.h"
#include "device_line.h"
#include "firmware_file.h"
#include "marker_echo.h"
#include "marker_figure.h"
#include "platform/serial/serial_port.h"
#include "platform/text.h"
#include "platform/ui/win_app.h"
#include "platform/ui/window_system.h"
#include "support/dialog_driver.h"
#include "support/recording_message_box.h"
#include "support/working_directory.h"

namespace {

using namespace std::chrono_literals;
using tarvex::bench::Clock;
using tarvex::bench::Seconds;
using tarvex::devsim::Bytes;
using tarvex::devsim::DeviceLine;

constexpr int kPairs = 10;

class BenchDialog : public LoaderDialog {
  public:
    explicit BenchDialog(const std::string& port)
        : LoaderDialog(nullptr, [port] {
              return tarvex::platform::SerialPortList(
                  std::vector<std::wstring>{tarvex::platform::WidenAnsi(port)});
          }) {}
    ~BenchDialog() override { EndJobs(); }
};

// Runs `work` on a thread of its own, the device's side, while the window thread serves the
// job's calls in an event loop of its own, as it does in the dialog's modal loop (no timer
// wakes it meanwhile); returns what `work` returns.
template <typename Work>
auto OnDeviceThread(Work work) {
    QEventLoop loop;
    decltype(work()) result{};
    std::thread device([&] {
        result = work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    device.join();
    return result;
}

// Chooses the custom setup type `radioId` with `file` and presses Update, as a user does.
void StartJob(BenchDialog& dialog, int radioId, const std::string& file) {
    Click(dialog, radioId);
    auto* edit = qobject_cast<QLineEdit*>(tarvex::platform::ControlWidget(dialog, IDC_CUSTOM_FILE));
    edit->setText(QString::fromStdString(file));
    Click(dialog, IDC_UPDATE);
}

bool WaitJobEnd(BenchDialog& dialog) {
    return WaitUntil(
        [&] { return tarvex::platform::ControlWidget(dialog, IDC_UPDATE)->isEnabled(); }, 120'000);
}

// Whether every figure so far came from rounds in step; a run with one out of step is invalid.
bool g_valid = true;

// A bare responder on a pty of its own: the program's serial port answering each marker with
// its reply ("#0" to "!0", "#1" to "!3"), with nothing else in the path.
class EchoResponder {
  public:
    EchoResponder() {
        thread_ = std::thread([this] {
            tarvex::bench::AnswerMarkers(tarvex::platform::WidenAnsi(line.PortPath()),
                                         cancellation_);
        });
        line.WaitConfigured(115200, false, 10s);
    }
    ~EchoResponder() {
        cancellation_->Cancel();
        thread_.join();
    }
    // Public: the bench plays the device on this line.
    DeviceLine line;

  private:
    std::shared_ptr<tarvex::platform::Cancellation> cancellation_ =
        std::make_shared<tarvex::platform::Cancellation>();
    std::thread thread_;
};

void MarkerToReply(BenchDialog& dialog, DeviceLine& line, const std::string& file) {
    constexpr int kRounds = 200;
    StartJob(dialog, IDC_RADIO_OTHER_QX2000, file);
    OnDeviceThread([&] { return line.WaitConfigured(115200, false, 10s); });
    EchoResponder echo;
    const bool valid = tarvex::bench::CompareMarkerRounds(
        line, echo.line, kPairs, kRounds,
        [](DeviceLine& on, bool& inStep) {
            return OnDeviceThread(
                [&] { return tarvex::bench::TimeMarkerBlock(on, kRounds, inStep); });
        },
        "1. marker to reply through the window / bare pty echo");
    g_valid = g_valid && valid;
    line.Send("!6");  // the one-byte image, and the job ends
    OnDeviceThread([&] { return line.ReceiveCount(1, 10s); });
    WaitJobEnd(dialog);
}

// Opens the pty's program side raw, as the jobs leave it, for a plain writer.
int OpenRaw(const std::string& path) {
    const int port = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(port, &tio);
    cfmakeraw(&tio);
    tcsetattr(port, TCSANOW, &tio);
    return port;
}

// One job of the custom type `radioId` with `file`, pressed as a user presses Update; `device`
// plays the device on the line and returns the seconds it measured.
double TimedJob(BenchDialog& dialog, DeviceLine& line, int radioId, const std::string& file,
                const std::function<double()>& device) {
    line.ClearReceived();
    StartJob(dialog, radioId, file);
    const double seconds = OnDeviceThread(device);
    WaitJobEnd(dialog);
    return seconds;
}

double SignJobSeconds(BenchDialog& dialog, DeviceLine& line, const std::string& file,
                      std::size_t size) {
    return TimedJob(dialog, line, IDC_RADIO_OTHER_TY5500, file, [&] {
        line.WaitConfigured(19200, true, 10s);
        const auto start = Clock::now();
        line.Send("!0");
        line.ReceiveCount(size + 1, 120s);  // the file and its end byte
        const double taken = Seconds(Clock::now() - start);
        line.Send("!10");
        return taken;
    });
}

double PlainBlocksSeconds(DeviceLine& line, const Bytes& image) {
    line.ClearReceived();
    const int port = OpenRaw(line.PortPath());
    const auto start = Clock::now();
    std::thread writer([&] {
        for (std::size_t sent = 0; sent < image.size(); sent += 1024) {
            const std::size_t block = std::min<std::size_t>(1024, image.size() - sent);
            if (write(port, image.data() + sent, block) != static_cast<ssize_t>(block)) return;
        }
        (void)!write(port, "\x1A", 1);
    });
    line.ReceiveCount(image.size() + 1, 120s);
    const double seconds = Seconds(Clock::now() - start);
    writer.join();
    close(port);
    return seconds;
}

// The floor of a synchronous call into another thread on this machine: a turn handed to a
// second thread and back through a mutex and a condition variable, microseconds a round trip
// (median of `rounds`).
double HandOffRoundTripUs(int rounds) {
    std::mutex mutex;
    std::condition_variable turned;
    int turn = 0;  // even: this thread's, odd: the other's
    std::thread other([&] {
        std::unique_lock lock(mutex);
        for (int i = 0; i < rounds; ++i) {
            turned.wait(lock, [&] { return turn % 2 == 1; });
            ++turn;
            turned.notify_all();
        }
    });
    std::vector<double> us;
    std::unique_lock lock(mutex);
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        ++turn;
        turned.notify_all();
        turned.wait(lock, [&] { return turn % 2 == 0; });
        us.push_back(Seconds(Clock::now() - start) * 1e6);
    }
    lock.unlock();
    other.join();
    return tarvex::bench::Percentile(us, 0.5);
}

void SignOverhead(BenchDialog& dialog, DeviceLine& line, const std::filesystem::path& dir) {
    const Bytes image = tarvex::devsim::MakeFieldUpdate(2 << 20);
    const std::string file = (dir / "sign.fud").string();
    tarvex::devsim::WriteFirmwareFile(file, image);
    const double blocks = static_cast<double>(image.size()) / 1024;
    std::vector<double> floors;
    std::vector<double> overheads;
    const auto ratios = tarvex::bench::Interleaved(
        kPairs, [&] { return SignJobSeconds(dialog, line, file, image.size()); },
        [&] {
            floors.push_back(OnDeviceThread([] { return HandOffRoundTripUs(2000); }));
            return PlainBlocksSeconds(line, image);
        },
        [&](double job, double plain) {
            overheads.push_back((job - plain) / blocks * 1e6);
            return overheads.back() / floors.back();
        });
    tarvex::bench::PrintSpread("2. sign transmission of " + std::to_string(image.size() / 1024) +
                                   " blocks through the window, less plain block writes, "
                                   "us a block",
                               overheads, "%.1f", "< 20 us");
    tarvex::bench::PrintSpread("   the same over a bare thread hand-off's round trip", ratios,
                               "%.2f", "<= 2");
    const auto floor = tarvex::bench::SpreadOf(floors);
    std::printf("   bare hand-off round trip: min / median / max %.1f / %.1f / %.1f us\n",
                floor.min, floor.median, floor.max);
}

double ConsoleJobSeconds(BenchDialog& dialog, DeviceLine& line, const std::string& file,
                         std::size_t size) {
    return TimedJob(dialog, line, IDC_RADIO_OTHER_QX2000, file, [&] {
        line.WaitConfigured(115200, false, 10s);
        line.Send("!6");
        const auto start = Clock::now();
        line.ReceiveCount(size, 120s);
        return Seconds(Clock::now() - start);
    });
}

double DdSeconds(DeviceLine& line, const std::string& file, std::size_t size) {
    line.ClearReceived();
    close(OpenRaw(line.PortPath()));  // the pty keeps its settings while it exists
    const std::string command = "dd if=" + file + " of=" + line.PortPath() + " bs=64K status=none";
    const auto start = Clock::now();
    std::thread dd([&] { (void)!std::system(command.c_str()); });
    line.ReceiveCount(size, 120s);
    const double seconds = Seconds(Clock::now() - start);
    dd.join();
    return seconds;
}

void ConsoleTransfer(BenchDialog& dialog, DeviceLine& line, const std::filesystem::path& dir) {
    const Bytes image = tarvex::devsim::MakeFieldUpdate(8 << 20);
    const std::string file = (dir / "console.hex").string();
    tarvex::devsim::WriteFirmwareFile(file, image);
    const auto ratios = tarvex::bench::Interleaved(
        kPairs, [&] { return ConsoleJobSeconds(dialog, line, file, image.size()); },
        [&] { return DdSeconds(line, file, image.size()); }, tarvex::bench::Ratio);
    tarvex::bench::PrintSpread("3. console transfer of " + std::to_string(image.size() >> 20) +
                                   " MB through the window / dd to the same pty, time",
                               ratios, "%.2f", "<= 1.1");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TempDir state;  // the job log of the run's own
    setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    ScopedWorkingDirectory workdir;  // the window's settings file of the run's own
    tarvex::platform::WindowSystem windowSystem(argc, argv);
    CWinApp application(L"Tarvex2");
    RecordingMessageBox boxes;  // a failed job's box is answered, and counted below

    DeviceLine line;
    BenchDialog dialog(line.PortPath());
    const std::string tiny = (workdir.path() / "tiny.hex").string();
    tarvex::devsim::WriteFirmwareFile(tiny, {'x'});
    // The figures to measure: all three, or those named by number on the command line.
    const auto wanted = [&](const char* figure) {
        if (argc < 2) return true;
        for (int i = 1; i < argc; ++i) {
            if (std::string(argv[i]) == figure) return true;
        }
        return false;
    };
    RunModal(dialog, [&] {
        if (wanted("1")) MarkerToReply(dialog, line, tiny);
        if (wanted("2")) SignOverhead(dialog, line, workdir.path());
        if (wanted("3")) ConsoleTransfer(dialog, line, workdir.path());
    });
    if (!g_valid) {
        std::printf("rounds out of step: the figures of this run are not valid\n");
        return 1;
    }
    if (!boxes.Boxes().empty()) {
        std::printf("%zu message boxes: a job failed, the figures are not valid\n",
                    boxes.Boxes().size());
        return 1;
    }
    return 0;
}

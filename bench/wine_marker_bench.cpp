// Marker to reply through the Windows program's main window under Wine, timed from the
// simulator's side: the console's markers sent on a pseudo-terminal that the Wine prefix maps as
// COM23, where marker_responders.exe runs a console job through the real Win32 main window,
// against the same markers on COM24, where it answers them with nothing but the program's serial
// port. Both sides run under the same Wine, in interleaved pairs of blocks.
//   wine_marker_bench MARKER_RESPONDERS_EXE [PAIRS]
// WINEPREFIX names the prefix (make bench-windows gives the Windows tests' one).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "firmware_file.h"
#include "marker_figure.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using tarvex::devsim::DeviceLine;

constexpr int kRounds = 200;

// COMn of the prefix, mapped to a pty for as long as the object lives.
class MappedPort {
  public:
    MappedPort(const std::filesystem::path& prefix, const std::string& name, const std::string& pty)
        : link_(prefix / "dosdevices" / name) {
        std::error_code error;
        std::filesystem::remove(link_, error);
        std::filesystem::create_symlink(pty, link_);
    }
    ~MappedPort() {
        std::error_code error;
        std::filesystem::remove(link_, error);
    }
    MappedPort(const MappedPort&) = delete;
    MappedPort& operator=(const MappedPort&) = delete;

  private:
    std::filesystem::path link_;
};

// A Windows program under Wine, started in `folder`; killed if still running when dropped.
class WineProcess {
  public:
    WineProcess(const std::filesystem::path& folder, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "wine");
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(folder.c_str()) != 0) _exit(127);
            std::vector<char*> argv;
            for (auto& argument : arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            execvp("wine", argv.data());
            _exit(127);
        }
    }
    ~WineProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            Wait(5s);
        }
    }
    WineProcess(const WineProcess&) = delete;
    WineProcess& operator=(const WineProcess&) = delete;

    // The exit status; -1 when the process has not ended within `timeout`.
    int Wait(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (pid_ > 0) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            }
            if (std::chrono::steady_clock::now() > deadline) return -1;
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

  private:
    pid_t pid_ = -1;
};

// The path of `path` on Wine's drive Z:, the root of the Linux file system.
std::string OnDriveZ(const std::filesystem::path& path) {
    std::string windows = "Z:" + std::filesystem::absolute(path).string();
    for (char& c : windows) {
        if (c == '/') c = '\\';
    }
    return windows;
}

}  // namespace

int main(int argc, char** argv) {
    const char* prefix = std::getenv("WINEPREFIX");
    if (argc < 2 || prefix == nullptr) {
        std::fprintf(stderr,
                     "Usage: WINEPREFIX=PREFIX wine_marker_bench MARKER_RESPONDERS_EXE "
                     "[PAIRS]\n");
        return 2;
    }
    const std::string responders = OnDriveZ(argv[1]);
    const int pairs = argc > 2 ? std::atoi(argv[2]) : 10;
    TempDir work;  // the window's working folder: its settings file, the one-byte image
    const std::filesystem::path tiny = work.path() / "tiny.hex";
    tarvex::devsim::WriteFirmwareFile(tiny, {'x'});

    DeviceLine windowLine;
    DeviceLine echoLine;
    MappedPort windowPort(prefix, "com23", windowLine.PortPath());
    MappedPort echoPort(prefix, "com24", echoLine.PortPath());
    WineProcess window(work.path(), {responders, "window", "COM23", OnDriveZ(tiny)});
    WineProcess echo(work.path(), {responders, "echo", "COM24"});
    if (!windowLine.WaitConfigured(115200, false, 60s) ||
        !echoLine.WaitConfigured(115200, false, 60s)) {
        std::fprintf(stderr, "the Windows side did not open its ports at 115200 baud\n");
        return 1;
    }
    const bool valid = tarvex::bench::CompareMarkerRounds(
        windowLine, echoLine, pairs, kRounds,
        [](DeviceLine& line, bool& inStep) {
            return tarvex::bench::TimeMarkerBlock(line, kRounds, inStep);
        },
        "marker to reply through the Win32 window / bare echo, both under Wine");
    windowLine.Send("!6");  // the one-byte image, and the job ends
    const bool imageCame = windowLine.ReceiveCount(1, 10s);
    echoLine.Send("!6");
    const int windowStatus = window.Wait(30s);
    const int echoStatus = echo.Wait(30s);
    if (!imageCame || windowStatus != 0 || echoStatus != 0) {
        std::printf(
            "the job through the window did not end cleanly (image %s, window status %d, "
            "echo status %d): the figures are not valid\n",
            imageCame ? "received" : "missing", windowStatus, echoStatus);
        return 1;
    }
    if (!valid) {
        std::printf("rounds out of step: the figures of this run are not valid\n");
        return 1;
    }
    return 0;
}

// tarvex2-demo: Tarvex2's main window doing real updates, start to finish, without hardware.
//
//   tarvex2-demo
//       Plays a Quorlex 2000 console and a Tessary 5500 sign controller on pseudo-terminals,
//       reprograms the console with a generated Quorlex2000.hex and sends a generated
//       ED-40517_Veziv16.fud to the sign (which asks once more, then stops), in a temporary
//       working directory. Exits 0 when both devices received their files byte for byte.
//   tarvex2-demo --port PATH [--type N] --workdir DIR
//       Starts the window in DIR as the program starts (reading DIR/Tarvex2.cfg if there is
//       one), runs one job on the port PATH, then closes the window through File > Exit, which
//       writes DIR/Tarvex2.cfg as the program does. The job is of setup type N with the firmware
//       files in DIR (for the custom types, the first .hex or .fud file there); without --type,
//       it runs the setup type and custom file the window shows after start-up. A real device
//       or another simulator can take the simulator's place. Exits 0 when the job succeeded.
//   tarvex2-demo --ftp HOST[:PORT] --workdir DIR
//       Runs File > Hex Files > Download Latest Hex Files... against the FTP server HOST (port
//       21 unless given) in DIR, then closes the window through File > Exit. Exits 0 when all
//       three files arrived.
//
// Every status line, progress value and message box is printed as it happens; each box is
// answered with OK. Without a display the window is drawn offscreen.
#include <QAbstractButton>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include <unistd.h>

#include "app/loader_dialog.h"
#include "app/resource.h"
#include "firmware_file.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "platform/ui/qt/qt_access.h"
#include "platform/ui/window_system.h"
#include "simulators.h"
#include "support/dialog_driver.h"
#include "update/forwarding_job_host.h"

using tarvex::app::IsConsoleSetupType;
using tarvex::app::IsKnownSetupType;
using tarvex::app::kFirstPortCommand;
using tarvex::platform::MessageBoxPresenter;
using tarvex::platform::MessageBoxRequest;
using tarvex::platform::SerialPortList;
using tarvex::platform::SetMessageBoxPresenter;
using tarvex::update::ForwardingJobHost;
using tarvex::update::JobHost;

namespace {

using namespace std::chrono_literals;
using tarvex::platform::ToUtf8;

std::mutex g_print;

void Print(const std::string& line) {
    std::lock_guard guard(g_print);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Reports every status line a job sets.
class PrintingHost : public ForwardingJobHost {
  public:
    PrintingHost(std::unique_ptr<JobHost> inner, std::vector<std::wstring>& statuses,
                 std::atomic<int>& ends)
        : ForwardingJobHost(std::move(inner)), statuses_(statuses), ends_(ends) {}
    void SetStatus(const std::wstring& text) override {
        Print("status:   " + ToUtf8(text));
        {
            std::lock_guard guard(g_print);
            statuses_.push_back(text);
        }
        ForwardingJobHost::SetStatus(text);
    }
    void EnableControlsAfterJob() override {
        ForwardingJobHost::EnableControlsAfterJob();
        ++ends_;
    }

  private:
    std::vector<std::wstring>& statuses_;
    std::atomic<int>& ends_;
};

class DemoDialog : public LoaderDialog {
  public:
    // What the demo prints: the status line, the bar and the choice start-up made.
    using LoaderDialog::m_nSetupType;
    using LoaderDialog::m_progress;
    using LoaderDialog::m_status;
    using LoaderDialog::m_strCustomFile;

    explicit DemoDialog(std::vector<std::wstring> ports)
        : LoaderDialog(nullptr, [ports] { return SerialPortList(ports); }) {}
    ~DemoDialog() override { EndJobs(); }
    std::unique_ptr<JobHost> MakeJobHost(HANDLE jobEvent) override {
        return std::make_unique<PrintingHost>(LoaderDialog::MakeJobHost(jobEvent), statuses, ends);
    }
    std::wstring LastStatus() {
        std::lock_guard guard(g_print);
        return statuses.empty() ? std::wstring() : statuses.back();
    }
    bool SawStatus(const std::wstring& text) {
        std::lock_guard guard(g_print);
        return std::find(statuses.begin(), statuses.end(), text) != statuses.end();
    }
    // Public: the demo reads the status lines and the job ends.
    std::vector<std::wstring> statuses;
    std::atomic<int> ends{0};
};

class PrintingMessageBox final : public MessageBoxPresenter {
  public:
    int Show(const MessageBoxRequest& request) override {
        Print("message:  [" + ToUtf8(request.caption) + "] " + ToUtf8(request.text) + " -> OK");
        ++shown;
        return IDOK;
    }
    // Public: the demo counts the boxes it answered.
    std::atomic<int> shown{0};
};

// Makes `workdir` the working directory, or says why it cannot be.
bool EnterWorkdir(const std::string& workdir) {
    std::error_code error;
    std::filesystem::current_path(workdir, error);
    if (error) std::fprintf(stderr, "%s: %s\n", workdir.c_str(), error.message().c_str());
    return !error;
}

// Closes the window as File > Exit does: through the close sequence, which saves the settings.
void Close(DemoDialog& dialog) {
    Print("press:    File > Exit");
    dialog.PostMessage(WM_CLOSE);
}

// Presses Update with the setup type of `radioId` (or the one the window shows, for 0) and
// waits for the job to end.
bool RunJob(DemoDialog& dialog, int radioId, std::chrono::milliseconds timeout) {
    const int endsBefore = dialog.ends;
    if (radioId != 0) Click(dialog, radioId);
    Print("press:    Update");
    Click(dialog, IDC_UPDATE);
    return WaitUntil([&] { return dialog.ends > endsBefore; }, static_cast<int>(timeout.count()));
}

void WatchProgress(DemoDialog& dialog) {
    tarvex::platform::WatchProgressBar(dialog, IDC_PROGRESS, [&dialog](int) {
        int lower = 0;
        int upper = 0;
        dialog.m_progress.GetRange(lower, upper);
        Print("progress: " + std::to_string(dialog.m_progress.GetPos()) + " of " +
              std::to_string(upper));
    });
}

int RunBothDevices() {
    const auto workdir =
        std::filesystem::temp_directory_path() / ("tarvex2-demo-" + std::to_string(::getpid()));
    std::filesystem::create_directories(workdir);
    std::filesystem::current_path(workdir);
    const std::string hex = tarvex::devsim::MakeIntelHex(25000);
    const tarvex::devsim::Bytes consoleImage(hex.begin(), hex.end());
    const tarvex::devsim::Bytes signFile = tarvex::devsim::MakeFieldUpdate(2500);
    tarvex::devsim::WriteFirmwareFile("Quorlex2000.hex", consoleImage);
    tarvex::devsim::WriteFirmwareFile("ED-40517_Veziv16.fud", signFile);
    Print("workdir:  " + workdir.string());

    tarvex::devsim::DeviceLine consoleLine;
    tarvex::devsim::DeviceLine signLine;
    Print("console:  simulated Quorlex 2000 on " + consoleLine.PortPath() +
          " (paced at 115200 baud)");
    Print("sign:     simulated Tessary 5500 on " + signLine.PortPath());
    tarvex::devsim::Outcome consoleOutcome;
    tarvex::devsim::Outcome signOutcome;
    tarvex::devsim::Faults paced;
    paced.lineRate = true;
    std::thread console(
        [&] { consoleOutcome = tarvex::devsim::PlayConsole(consoleLine, paced, 120s); });
    std::thread sign(
        [&] { signOutcome = tarvex::devsim::PlaySign(signLine, signFile.size(), 1, {}, 120s); });

    bool consoleOk = false;
    bool signOk = false;
    {
        DemoDialog dialog({tarvex::platform::FromSystemName(consoleLine.PortPath()),
                           tarvex::platform::FromSystemName(signLine.PortPath())});
        QTimer::singleShot(0, [&] {
            WatchProgress(dialog);
            Print("choose:   Poolside (Quorlex2000.hex) on " + consoleLine.PortPath());
            RunJob(dialog, IDC_RADIO_POOLSIDE, 120s);
            console.join();  // the console notices the end of the image by itself
            consoleOk = consoleOutcome.ok && consoleLine.Received() ==
                                                 tarvex::devsim::ExpectedConsoleBytes(consoleImage);
            Print(std::string("check:    console received ") +
                  std::to_string(consoleLine.Received().size()) + " bytes: " +
                  (consoleOk
                       ? "exactly the replies and the file"
                       : "NOT what was sent (expected " + std::to_string(consoleImage.size() + 4) +
                             ") " + consoleOutcome.failure));

            dialog.OnCmdMsg(kFirstPortCommand + 1);
            Print("choose:   Huevane (ED-40517_Veziv16.fud) on " + signLine.PortPath());
            RunJob(dialog, IDC_RADIO_HUEVANE, 120s);
            sign.join();
            signOk = signOutcome.ok &&
                     signLine.Received() == tarvex::devsim::ExpectedSignBytes(signFile, 1) &&
                     dialog.LastStatus() == L"Received stop signal.";
            Print(std::string("check:    sign received ") +
                  std::to_string(signLine.Received().size()) + " bytes: " +
                  (signOk ? "the file and end byte twice, then stopped"
                          : "NOT what was sent " + signOutcome.failure));
            Close(dialog);
        });
        dialog.DoModal();
    }
    consoleLine.Stop();
    signLine.Stop();
    if (console.joinable()) console.join();
    if (sign.joinable()) sign.join();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(workdir);
    Print(consoleOk && signOk ? "demo:     both updates succeeded" : "demo:     FAILED");
    return consoleOk && signOk ? 0 : 1;
}

// The first regular file in `dir` with `extension`, as a system name; empty when there is none.
std::wstring FirstFileWithExtension(const std::filesystem::path& dir,
                                    const std::string& extension) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        if (entry.is_regular_file(error) && entry.path().extension() == extension) {
            // The name's bytes as they are: a name need not be UTF-8.
            return tarvex::platform::FromSystemName(
                std::filesystem::absolute(entry.path(), error).string());
        }
    }
    return {};
}

// What the settings file is, to tell whether the close sequence wrote it.
struct SettingsFileState {
    bool regular = false;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type written{};
    bool operator==(const SettingsFileState&) const = default;
};

SettingsFileState ReadSettingsFileState() {
    SettingsFileState state;
    std::error_code error;
    state.regular = std::filesystem::is_regular_file(kSettingsFileName, error);
    if (state.regular) {
        state.size = std::filesystem::file_size(kSettingsFileName, error);
        state.written = std::filesystem::last_write_time(kSettingsFileName, error);
    }
    return state;
}

// Says what the close sequence did to the settings file.
void PrintSettingsOutcome(const SettingsFileState& before) {
    const SettingsFileState after = ReadSettingsFileState();
    const std::string name = ToUtf8(kSettingsFileName);
    if (after.regular && after != before) {
        Print("settings: " + name + " written, " + std::to_string(after.size) + " bytes");
    } else if (!after.regular && std::filesystem::exists(std::filesystem::symlink_status(
                                     std::filesystem::path(kSettingsFileName)))) {
        Print("settings: " + name + " not written: it is not a regular file");
    } else {
        Print("settings: " + name + " not written");
    }
}

int RunOneJob(const std::string& port, int type, const std::string& workdir) {
    constexpr int kRadios[] = {IDC_RADIO_POOLSIDE, IDC_RADIO_ARENA,        IDC_RADIO_OVAL_TRACK,
                               IDC_RADIO_HUEVANE,  IDC_RADIO_OTHER_QX2000, IDC_RADIO_OTHER_TY5500};
    if (!EnterWorkdir(workdir)) return 2;
    const char* extension = type == 4 ? ".hex" : ".fud";
    const std::wstring customFile = type >= 4 ? FirstFileWithExtension(".", extension) : L"";
    if (type >= 4 && customFile.empty()) {
        std::fprintf(stderr, "%s: no %s file for setup type %d\n", workdir.c_str(), extension,
                     type);
        return 2;
    }
    const SettingsFileState settingsBefore = ReadSettingsFileState();
    bool ok = false;
    DemoDialog dialog({tarvex::platform::FromSystemName(port)});
    QTimer::singleShot(0, [&] {
        WatchProgress(dialog);
        if (type < 0) {
            dialog.UpdateData(TRUE);  // the choice start-up made from the settings file
            type = dialog.m_nSetupType;
            Print("choice:   setup type " + std::to_string(type) + " from start-up" +
                  (type >= 4 ? ", file " + ToUtf8(dialog.m_strCustomFile) : std::string()));
        } else if (type >= 4) {
            Print("file:     " + tarvex::platform::ToSystemName(customFile));
            Click(dialog, kRadios[type]);
            dialog.UpdateData(TRUE);
            dialog.m_strCustomFile = customFile;
            dialog.UpdateData(FALSE);
        }
        if (!IsKnownSetupType(type)) {
            Print("choice:   no setup type is checked: nothing to run");
            Close(dialog);
            return;
        }
        const bool console = IsConsoleSetupType(type);
        RunJob(dialog, kRadios[type], std::chrono::hours(24));
        ok = console
                 ? dialog.LastStatus() == L"Reprogramming of the Quorlex 2000 console complete."
                 : dialog.LastStatus() == L"Received stop signal." &&
                       dialog.SawStatus(L"Field update complete.  Waiting for retry or stop...");
        Close(dialog);
    });
    dialog.DoModal();
    PrintSettingsOutcome(settingsBefore);
    Print(ok ? "job:      succeeded" : "job:      did not succeed");
    return ok ? 0 : 1;
}

// The download blocks the window thread: its status lines are printed as the bar moves.
int RunDownload(const std::string& server, const std::string& workdir,
                const PrintingMessageBox& boxes) {
    const std::size_t colon = server.rfind(':');
    const std::string host = colon == std::string::npos ? server : server.substr(0, colon);
    const int port = colon == std::string::npos ? 0 : std::atoi(server.c_str() + colon + 1);
    if (host.empty() || port < 0 || port > 65535) {
        std::fprintf(stderr, "--ftp takes HOST or HOST:PORT\n");
        return 2;
    }
    if (!EnterWorkdir(workdir)) return 2;
    DemoDialog dialog({});
    dialog.UseDownloadServer({.host = tarvex::platform::FromSystemName(host),
                              .port = static_cast<INTERNET_PORT>(port),
                              .timeouts = {}});
    std::wstring shownStatus;
    auto printStatus = [&] {
        const std::wstring status = dialog.m_status.GetWindowText();
        if (status != shownStatus) Print("status:   " + ToUtf8(status));
        shownStatus = status;
    };
    bool ready = false;
    QTimer::singleShot(0, [&] {
        shownStatus = dialog.m_status.GetWindowText();
        tarvex::platform::WatchProgressBar(dialog, IDC_PROGRESS, [&](int value) {
            int lower = 0;
            int upper = 0;
            dialog.m_progress.GetRange(lower, upper);
            printStatus();
            Print("progress: " + std::to_string(value) + " of " + std::to_string(upper));
        });
        Print("press:    File > Hex Files > Download Latest Hex Files... (" + server + ")");
        dialog.OnCmdMsg(ID_FILE_DOWNLOAD);
        printStatus();
        ready = dialog.m_status.GetWindowText() == L"Ready.";
        for (const SetupTypeRow& row : {kSetupTypes[0], kSetupTypes[1], kSetupTypes[2]}) {
            std::error_code error;
            const std::uintmax_t size = std::filesystem::file_size(row.fileName, error);
            Print("file:     " + ToUtf8(row.fileName) +
                  (error ? " missing" : ", " + std::to_string(size) + " bytes"));
        }
        Close(dialog);
    });
    dialog.DoModal();
    const bool ok = ready && boxes.shown == 0;
    Print(ok ? "download: all three files arrived" : "download: did not fetch every file");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // The options are read before anything starts: --help and a wrong value open nothing.
    QCoreApplication::setApplicationName("tarvex2-demo");
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Tarvex2's main window doing real updates without hardware. Without options it plays a "
        "Quorlex 2000 console and a Tessary 5500 sign on pseudo-terminals and updates both; "
        "--port runs one job on any port, --ftp one download from any FTP server.");
    const QCommandLineOption portOption("port", "Run one job on the port PATH.", "PATH");
    const QCommandLineOption typeOption(
        "type", "The job's setup type, 0 to 5 (default: the one Tarvex2.cfg chose).", "N");
    const QCommandLineOption workdirOption("workdir", "The working folder of the job or download.",
                                           "DIR");
    const QCommandLineOption ftpOption("ftp", "Run one download from the FTP server HOST[:PORT].",
                                       "HOST[:PORT]");
    parser.addOptions({portOption, typeOption, workdirOption, ftpOption});
    const QCommandLineOption helpOption = parser.addHelpOption();
    auto usageError = [&](const QString& message) {
        std::fprintf(stderr, "tarvex2-demo: %s\nTry 'tarvex2-demo --help'.\n", qPrintable(message));
        return 2;
    };
    if (!parser.parse(arguments)) return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(parser.helpText().replace("<executable_name>", "tarvex2-demo")),
                   stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usageError("unexpected argument '" + parser.positionalArguments().front() + "'");
    }
    int type = -1;
    if (parser.isSet(typeOption)) {
        bool number = false;
        type = parser.value(typeOption).toInt(&number);
        if (!number || type < 0 || type > 5) {
            return usageError("--type needs a setup type 0 to 5, not '" + parser.value(typeOption) +
                              "'");
        }
    }
    // Names as the system has them: a path need not be UTF-8.
    const std::string port = parser.value(portOption).toLocal8Bit().toStdString();
    const std::string workdir = parser.value(workdirOption).toLocal8Bit().toStdString();
    const std::string ftp = parser.value(ftpOption).toLocal8Bit().toStdString();

    if (!tarvex::platform::WindowSystem::DisplayAvailable())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tarvex::platform::WindowSystem windowSystem(argc, argv);
    CWinApp application(L"Tarvex2");
    PrintingMessageBox boxes;
    MessageBoxPresenter* previous = SetMessageBoxPresenter(&boxes);
    int result;
    if (!ftp.empty()) {
        result = workdir.empty() || !port.empty() || type >= 0
                     ? usageError("--ftp goes with --workdir alone")
                     : RunDownload(ftp, workdir, boxes);
    } else if (port.empty() && workdir.empty() && type < 0) {
        result = RunBothDevices();
    } else if (port.empty() || workdir.empty()) {
        result = usageError("--port and --workdir go together (--type is optional)");
    } else {
        result = RunOneJob(port, type, workdir);
    }
    SetMessageBoxPresenter(previous);
    return result;
}

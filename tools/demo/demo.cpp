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
//   tarvex2-demo --ports
//       Opens the Communications menu of the window with the system's own port table and prints
//       its items, each with its tip (what the port is, where the system can tell), and closes
//       the window. Exits 0.
//   tarvex2-demo --ftp HOST[:PORT] --workdir DIR
//       Runs File > Hex Files > Download Latest Hex Files... against the FTP server HOST (port
//       21 unless given) in DIR, then closes the window through File > Exit. Exits 0 when all
//       three files arrived.
//
// Every status line, progress value and message box is printed as it happens; each box is
// answered with OK. Without a display the window is drawn offscreen. On Windows the first form
// is left to make demo-windows, which runs the simulated devices on Linux.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "app/resource.h"
#include "app/resources.h"
#include "demo_window.h"
#include "platform/text.h"
#include "platform/ui/control_watch.h"
#include "platform/ui/window_system.h"
#include "support/window_driver.h"

using demo::Close;
using demo::DemoDialog;
using demo::Print;
using demo::PrintingMessageBox;
using demo::RunJob;
using demo::WatchProgress;
using tarvex::app::IsConsoleSetupType;
using tarvex::app::IsKnownSetupType;
using tarvex::app::kCommunicationsMenuPosition;
using tarvex::platform::MessageBoxPresenter;
using tarvex::platform::SetMessageBoxPresenter;
using tarvex::platform::ToUtf8;

namespace {

// Makes `workdir` the working directory, or says why it cannot be.
bool EnterWorkdir(const std::string& workdir) {
    std::error_code error;
    std::filesystem::current_path(workdir, error);
    if (error) std::fprintf(stderr, "%s: %s\n", workdir.c_str(), error.message().c_str());
    return !error;
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
    tarvex::platform::PostToWindowThread([&] {
        WatchProgress(dialog);
        if (type < 0) {
            dialog.UpdateData(TRUE);  // the choice start-up made from the settings file
            type = dialog.m_nSetupType;
            Print("choice:   setup type " + std::to_string(type) + " from start-up" +
                  (type >= 4 ? ", file " + ToUtf8(dialog.m_strCustomFile) : std::string()));
        } else if (type >= 4) {
            Print("file:     " + tarvex::platform::ToSystemName(customFile));
            drive::Click(dialog, kRadios[type]);
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
    DemoDialog dialog(std::vector<std::wstring>{});
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
    tarvex::platform::PostToWindowThread([&] {
        shownStatus = dialog.m_status.GetWindowText();
        tarvex::platform::WatchProgressBar(dialog, IDC_PROGRESS, [&](int value) {
            int lower = 0;
            int upper = 0;
            dialog.m_progress.GetRange(lower, upper);
            printStatus();
            Print("progress: " + std::to_string(value) + " of " + std::to_string(upper));
        });
        Print("press:    File > Hex Files > Download Latest Hex Files... (" + server + ")");
        drive::Choose(dialog, ID_FILE_DOWNLOAD);
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

int ListPorts() {
    DemoDialog dialog;
    tarvex::platform::PostToWindowThread([&] {
        drive::OpenMenu(dialog, kCommunicationsMenuPosition);
        const CMenu ports = dialog.GetMenu().GetSubMenu(kCommunicationsMenuPosition);
        for (UINT p = 0; p < static_cast<UINT>(ports.GetMenuItemCount()); ++p) {
            std::wstring name;
            ports.GetMenuString(p, name, MF_BYPOSITION);
            const std::wstring tip = ports.GetMenuItemTip(p, MF_BYPOSITION);
            Print("port:     " + tarvex::platform::ToSystemName(name) +
                  (tip.empty() ? std::string() : "  (" + ToUtf8(tip) + ")"));
        }
        Close(dialog);
    });
    dialog.DoModal();
    return 0;
}

struct Options {
    std::string port;
    std::string workdir;
    std::string ftp;
    int type = -1;
    bool ports = false;
    bool help = false;
};

constexpr char kUsage[] =
    "Usage: tarvex2-demo [--port PATH [--type N] --workdir DIR | --ports |\n"
    "                    --ftp HOST[:PORT] --workdir DIR]\n"
    "\n"
    "Tarvex2's main window doing real updates without hardware. Without options it plays a\n"
    "Quorlex 2000 console and a Tessary 5500 sign on pseudo-terminals and updates both; --port\n"
    "runs one job on any port, --ports lists the ports the window offers, --ftp runs one download\n"
    "from any FTP server.\n"
    "\n"
    "  --port PATH        run one job on the port PATH\n"
    "  --type N           the job's setup type, 0 to 5 (default: the one Tarvex2.cfg chose)\n"
    "  --workdir DIR      the working folder of the job or download\n"
    "  --ports            print the Communications menu's ports, each with its tip\n"
    "  --ftp HOST[:PORT]  run one download from the FTP server HOST\n"
    "  --help             show this text and exit\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "tarvex2-demo: %s\nTry 'tarvex2-demo --help'.\n", message.c_str());
    return 2;
}

// Reads the command line (names as the system has them: a path need not be UTF-8); the error's
// text when it cannot.
std::optional<std::string> ReadOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            continue;
        }
        if (option == "--ports") {
            options.ports = true;
            continue;
        }
        std::string* value = option == "--port"      ? &options.port
                             : option == "--workdir" ? &options.workdir
                             : option == "--ftp"     ? &options.ftp
                                                     : nullptr;
        const bool typed = option == "--type";
        if (value == nullptr && !typed) return "unexpected argument '" + option + "'";
        if (i + 1 >= argc) return "missing value after '" + option + "'";
        const std::string given = argv[++i];
        if (value != nullptr) {
            *value = given;
            continue;
        }
        char* end = nullptr;
        const long type = std::strtol(given.c_str(), &end, 10);
        if (given.empty() || *end != '\0' || type < 0 || type > 5) {
            return "--type needs a setup type 0 to 5, not '" + given + "'";
        }
        options.type = static_cast<int>(type);
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    // The options are read before anything starts: --help and a wrong value open nothing.
    Options options;
    if (const auto error = ReadOptions(argc, argv, options)) return UsageError(*error);
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    demo::DrawOffscreenWithoutADisplay();
    tarvex::platform::WindowSystem windowSystem(argc, argv);
    CWinApp application(L"Tarvex2");
    PrintingMessageBox boxes;
    MessageBoxPresenter* previous = SetMessageBoxPresenter(&boxes);
    int result;
    if (options.ports) {
        result = options.workdir.empty() && options.port.empty() && options.ftp.empty() &&
                         options.type < 0
                     ? ListPorts()
                     : UsageError("--ports goes alone");
    } else if (!options.ftp.empty()) {
        result = options.workdir.empty() || !options.port.empty() || options.type >= 0
                     ? UsageError("--ftp goes with --workdir alone")
                     : RunDownload(options.ftp, options.workdir, boxes);
    } else if (options.port.empty() && options.workdir.empty() && options.type < 0) {
        result = demo::RunBothDevices();
    } else if (options.port.empty() || options.workdir.empty()) {
        result = UsageError("--port and --workdir go together (--type is optional)");
    } else {
        result = RunOneJob(options.port, options.type, options.workdir);
    }
    SetMessageBoxPresenter(previous);
    return result;
}

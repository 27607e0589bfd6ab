// The screenshot tool on Linux: drawn offscreen without a display, and two pictures with the
// simulated devices, "ports" and "try".
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QtGlobal>
#include <functional>
#include <thread>

#include "app/loader_dialog.h"
#include "app/resource.h"
#include "device_line.h"
#include "firmware_file.h"
#include "platform/serial/virtual_ports.h"
#include "platform/text.h"
#include "platform/ui/control_watch.h"
#include "platform/ui/qt/qt_access.h"
#include "screenshot_extras.h"
#include "simulators.h"
#include "support/working_directory.h"

using tarvex::platform::SerialPortList;
using tarvex::platform::VirtualPortRegistration;

namespace screenshot {
namespace {

// The main window with its Communications menu open while a simulated console runs.
bool SaveWithPortMenu(const QString& output) {
    const ScopedWorkingDirectory folder;  // a working folder with the built-in firmware files
    folder.WriteBuiltInFirmware();
    tarvex::devsim::DeviceLine console;
    const VirtualPortRegistration registration(console.PortPath(),
                                               "simulated Quorlex 2000 console");
    LoaderDialog dialog;  // the system's port table, as the program reads it
    bool saved = false;
    QTimer::singleShot(200, [&] {
        QDialog* window = tarvex::platform::DialogWidget(dialog);
        QMenuBar* bar = tarvex::platform::MenuBarWidget(dialog);
        QAction* communications = bar->actions().at(2);
        QMenu* menu = communications->menu();
        menu->popup(bar->mapToGlobal(bar->actionGeometry(communications).bottomLeft()));
        QTimer::singleShot(300, [&, window, menu] {
            const QRect area = window->frameGeometry().united(menu->geometry());
            const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(
                0, area.x(), area.y(), area.width(), area.height());
            saved = !screen.isNull() && screen.save(output);
            menu->hide();
            dialog.EndDialog(IDCANCEL);
        });
    });
    dialog.DoModal();
    return saved;
}

// The main window in the try-out folder of make try, a console job under way on a simulated
// console that takes the image at its line's speed.
bool SaveTryOut(const QString& output) {
    const ScopedWorkingDirectory folder;
    tarvex::devsim::WriteTryOutFiles(folder.path());
    tarvex::devsim::DeviceLine console;
    const VirtualPortRegistration registration(console.PortPath(),
                                               "simulated Quorlex 2000 console");
    tarvex::devsim::Faults faults;
    faults.lineRate = true;
    std::thread device(
        [&] { tarvex::devsim::PlayConsole(console, faults, std::chrono::seconds(60)); });
    const std::wstring port = tarvex::platform::FromSystemName(console.PortPath());
    LoaderDialog dialog(nullptr, [port] {
        return SerialPortList(std::vector<std::wstring>{L"/dev/ttyS0", port});
    });
    bool saved = false;
    int position = 0;
    const auto started = std::chrono::steady_clock::now();
    // Looks every 50 ms until the bar has moved a few steps, then takes the picture.
    std::function<void()> grabWhenUnderWay = [&] {
        QDialog* window = tarvex::platform::DialogWidget(dialog);
        const bool underWay = window != nullptr && position >= 4;
        if (underWay || std::chrono::steady_clock::now() - started > std::chrono::seconds(20)) {
            saved = underWay && window->grab().save(output);
            dialog.EndDialog(IDCANCEL);
            return;
        }
        QTimer::singleShot(50, grabWhenUnderWay);
    };
    QTimer::singleShot(100, [&] {
        tarvex::platform::WatchProgressBar(dialog, IDC_PROGRESS, [&](int now) { position = now; });
        dialog.OnCmdMsg(501);  // the simulated console, as the technician chooses it
        dialog.OnCmdMsg(IDC_UPDATE);
        QTimer::singleShot(50, grabWhenUnderWay);
    });
    dialog.DoModal();
    console.Stop();
    device.join();
    return saved;
}

}  // namespace

std::vector<std::wstring> TypicalPorts() { return {L"/dev/ttyS0", L"/dev/ttyUSB0"}; }

const char kExtrasUsage[] = "|ports|try";

bool IsExtra(const std::string& which) { return which == "ports" || which == "try"; }

bool SaveExtra(const std::string& which, const std::filesystem::path& output) {
    const QString file = QString::fromStdString(output.string());
    return which == "ports" ? SaveWithPortMenu(file) : which == "try" && SaveTryOut(file);
}

void DrawWithoutADisplay() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace screenshot

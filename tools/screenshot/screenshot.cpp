// Draws one of Tarvex2's windows as a technician first sees it, without a display, into a PNG:
//   tarvex2-screenshot OUTPUT.png [main|about|system|help|ports|try]
// The main window is shown in a working folder that holds the four built-in firmware files (the
// field-update file of drawing 40517, version 16), with the usual names of a PC's first UART and
// a USB adapter as its serial ports; the About box reads OrvLicense.txt from the working folder,
// the System Information report describes this computer; "ports" opens the Communications menu
// while a simulated console runs, as the README's steps without hardware have it; "try" shows a
// console job under way in make try's folder.
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QtGlobal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "about/about_dialog.h"
#include "about/help_dialog.h"
#include "about/system_info_dialog.h"
#include "app/loader_dialog.h"
#include "app/resource.h"
#include "device_line.h"
#include "firmware_file.h"
#include "platform/text.h"
#include "platform/ui/control_watch.h"
#include "platform/ui/qt/qt_access.h"
#include "platform/ui/window_system.h"
#include "platform/virtual_ports.h"
#include "simulators.h"
#include "support/fixed_system_facts.h"
#include "support/working_directory.h"

using tarvex::platform::SerialPortList;
using tarvex::platform::VirtualPortRegistration;

namespace {

// Shows `dialog` and saves its picture once it has been laid out and painted.
bool Save(CDialog& dialog, const QString& output) {
    bool saved = false;
    QTimer::singleShot(200, [&] {
        QDialog* window = tarvex::platform::DialogWidget(dialog);
        saved = window != nullptr && window->grab().save(output);
        dialog.EndDialog(IDCANCEL);
    });
    dialog.DoModal();
    return saved;
}

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

int main(int argc, char** argv) {
    const std::string which = argc == 3 ? argv[2] : "main";
    if (argc < 2 || argc > 3 ||
        (which != "main" && which != "about" && which != "system" && which != "help" &&
         which != "try" && which != "ports")) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [main|about|system|help|ports|try]\n", argv[0]);
        return 2;
    }
    const QString output = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    tarvex::platform::WindowSystem windowSystem(argc, argv);
    CWinApp application(L"Tarvex2");

    bool saved = false;
    if (which == "about") {
        AboutDialog about;
        about.m_strProductLines = {L"", L"Tarvex2 by Morvane", L"Version 2.0.0", L"", L""};
        about.m_strCaptionName = L"Tarvex2 by Morvane";
        about.m_strLicenseFile = L"OrvLicense.txt";
        saved = Save(about, output);
    } else if (which == "system") {
        SystemInfoDialog report(nullptr, TypicalFacts());  // the same picture on every machine
        saved = Save(report, output);
    } else if (which == "help") {
        HelpDialog help;
        saved = Save(help, output);
    } else if (which == "try") {
        saved = SaveTryOut(output);
    } else if (which == "ports") {
        saved = SaveWithPortMenu(output);
    } else {
        const ScopedWorkingDirectory folder;  // a working folder with the built-in firmware files
        folder.WriteBuiltInFirmware();
        LoaderDialog dialog(nullptr, [] {
            return SerialPortList(std::vector<std::wstring>{L"/dev/ttyS0", L"/dev/ttyUSB0"});
        });
        saved = Save(dialog, output);
    }
    if (!saved) std::fprintf(stderr, "could not write %s\n", argv[1]);
    return saved ? 0 : 1;
}

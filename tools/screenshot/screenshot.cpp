// Draws one of Tarvex2's windows as a technician first sees it:
//   tarvex2-screenshot OUTPUT [main|about|system|help|ports|try]
// The main window is shown in a working folder that holds the four built-in firmware files (the
// field-update file of drawing 40517, version 16), with the usual names of a PC's first UART and
// a USB adapter as its serial ports; the About box reads OrvLicense.txt from the working folder,
// the System Information report describes a typical computer (the same picture on every
// machine). On Linux, without a display, OUTPUT is a PNG drawn offscreen, and two more pictures
// need the simulated devices: "ports" opens the Communications menu while a simulated console
// runs, as the README's steps without hardware have it; "try" shows a console job under way in
// make try's folder. On Windows OUTPUT is a BMP of the window as the screen shows it (make
// screenshot-windows draws them under Wine's virtual desktop).
#include <cstdio>
#include <filesystem>
#include <string>

#include "about/about_dialog.h"
#include "about/help_dialog.h"
#include "about/system_info_dialog.h"
#include "app/loader_dialog.h"
#include "platform/ui/control_watch.h"
#include "platform/ui/window_system.h"
#include "screenshot_extras.h"
#include "support/fixed_system_facts.h"
#include "support/working_directory.h"

using tarvex::platform::SerialPortList;

namespace {

// How long a window is given to be laid out and painted before its picture is taken.
constexpr int kPaintMs = 500;

// Shows `dialog` and saves its picture once it has been laid out and painted.
bool Save(CDialog& dialog, const std::filesystem::path& output) {
    bool saved = false;
    tarvex::platform::PostToWindowThread([&] {
        tarvex::platform::PumpMessagesUntil([] { return false; }, kPaintMs);
        saved = tarvex::platform::SaveWindowPicture(dialog, output);
        dialog.EndDialog(IDCANCEL);
    });
    dialog.DoModal();
    return saved;
}

bool SaveWindow(const std::string& which, const std::filesystem::path& output) {
    if (which == "about") {
        AboutDialog about;
        about.m_strProductLines = {L"", L"Tarvex2 by Morvane", L"Version 2.0.0", L"", L""};
        about.m_strCaptionName = L"Tarvex2 by Morvane";
        about.m_strLicenseFile = L"OrvLicense.txt";
        return Save(about, output);
    }
    if (which == "system") {
        SystemInfoDialog report(nullptr, TypicalFacts());  // the same picture on every machine
        return Save(report, output);
    }
    if (which == "help") {
        HelpDialog help;
        return Save(help, output);
    }
    if (which == "main") {
        const ScopedWorkingDirectory folder;  // a working folder with the built-in firmware files
        folder.WriteBuiltInFirmware();
        LoaderDialog dialog(nullptr, [] { return SerialPortList(screenshot::TypicalPorts()); });
        return Save(dialog, output);
    }
    return screenshot::SaveExtra(which, output);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string which = argc == 3 ? argv[2] : "main";
    if (argc < 2 || argc > 3 ||
        (which != "main" && which != "about" && which != "system" && which != "help" &&
         !screenshot::IsExtra(which))) {
        std::fprintf(stderr, "usage: %s OUTPUT [main|about|system|help%s]\n", argv[0],
                     screenshot::kExtrasUsage);
        return 2;
    }
    const std::filesystem::path output = std::filesystem::absolute(argv[1]);
    screenshot::DrawWithoutADisplay();
    tarvex::platform::WindowSystem windowSystem(argc, argv);
    CWinApp application(L"Tarvex2");
    const bool saved = SaveWindow(which, output);
    if (!saved) std::fprintf(stderr, "could not write %s\n", argv[1]);
    return saved ? 0 : 1;
}

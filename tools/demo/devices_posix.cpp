// The demo on Linux: both simulated devices run in this process, each on a pseudo-terminal of
// its own, and the window is drawn offscreen where there is no display.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/resource.h"
#include "demo_window.h"
#include "firmware_file.h"
#include "platform/text.h"
#include "platform/ui/window_system.h"
#include "simulators.h"
#include "support/window_driver.h"

namespace demo {

using namespace std::chrono_literals;

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
        tarvex::platform::PostToWindowThread([&] {
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

            drive::Choose(dialog, tarvex::app::kFirstPortCommand + 1);
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

void DrawOffscreenWithoutADisplay() {
    if (!tarvex::platform::WindowSystem::DisplayAvailable()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
}

}  // namespace demo

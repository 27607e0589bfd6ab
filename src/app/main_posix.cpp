#include <cstdio>
#include <cstring>

#include "app/loader_app.h"
#include "app/resource.h"
#include "app/resources.h"
#include "download/latest_hex_files.h"
#include "platform/system/user_folder.h"
#include "platform/text.h"

using tarvex::app::LoadStringResource;
using tarvex::platform::EnterUserFolder;

// The one application object; AfxWinMain runs it.
LoaderApp theApp;

namespace {

// --help and --version answer as a Linux program does and start nothing; every other argument
// goes to the window system.
bool AnswersInformationOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Tarvex2 %s\nFirmware download server: %s\n",
                        tarvex::platform::ToUtf8(LoadStringResource(IDS_VERSION)).c_str(),
                        tarvex::platform::ToUtf8(tarvex::download::MakerFtpServerText()).c_str());
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "Usage: tarvex2 [--desktop] | --help | --version\n"
                "\n"
                "Tarvex2 updates the firmware of a Quorlex 2000 timing console or a Tessary 5500\n"
                "sign controller over a serial port, and downloads the newest console firmware.\n"
                "\n"
                "It works in the folder it is started in: the built-in firmware files\n"
                "(Quorlex2000.hex, Arena2000.hex, OvalTrack.hex, ED-40517_Veziv16.fud), the\n"
                "settings file Tarvex2.cfg and the licence text OrvLicense.txt are there.\n"
                "\n"
                "  --desktop  work in ~/Tarvex2 (made on the first start, the licence copied in),\n"
                "             as the desktop's menu entry starts it\n"
                "  --help     show this text and exit\n"
                "  --version  show the version and exit\n");
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (AnswersInformationOption(argc, argv)) return 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--desktop") == 0 &&
            !EnterUserFolder("Tarvex2", "OrvLicense.txt")) {
            std::fprintf(stderr, "tarvex2: cannot make or enter the folder ~/Tarvex2\n");
            return 1;
        }
    }
    return AfxWinMain(argc, argv);
}

// Draws the main window as a technician first sees it, without a display, into a PNG file:
//   tarvex2-screenshot docs/main-window.png
// The serial ports shown are the usual names of a PC's first UART and a USB adapter.
#include <QTimer>
#include <QtGlobal>
#include <cstdio>

#include "app/loader_dialog.h"
#include "platform/ui/qt_access.h"
#include "platform/ui/window_system.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    tarvex::platform::WindowSystem windowSystem(argc, argv);
    CWinApp application(L"Tarvex2");

    LoaderDialog dialog(nullptr, [] {
        return SerialPortList(std::vector<std::wstring>{L"/dev/ttyS0", L"/dev/ttyUSB0"});
    });
    bool saved = false;
    QTimer::singleShot(100, [&] {
        QDialog* window = tarvex::platform::DialogWidget(dialog);
        saved = window != nullptr && window->grab().save(output);
        dialog.EndDialog(IDCANCEL);
    });
    dialog.DoModal();
    if (!saved) std::fprintf(stderr, "could not write %s\n", argv[1]);
    return saved ? 0 : 1;
}

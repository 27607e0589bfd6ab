#include "platform/ui/win_app.h"

#include <QFile>
#include <QIcon>
#include <cstdio>
#include <map>

#include "platform/ui/window_system.h"

HICON CWinApp::LoadIcon(UINT id) const {
    // Icons live as long as the process, as loaded resources do.
    static std::map<UINT, QIcon> icons;
    auto it = icons.find(id);
    if (it == icons.end()) {
        const QString path = QStringLiteral(":/icons/%1.png").arg(id);
        if (!QFile::exists(path)) return nullptr;
        it = icons.emplace(id, QIcon(path)).first;
    }
    return reinterpret_cast<HICON>(&it->second);
}

// The common controls need no set-up with this window system; the call stays so that start-up
// keeps its familiar shape.
void InitCommonControls() {}

int AfxWinMain(int argc, char** argv) {
    if (!tarvex::platform::WindowSystem::DisplayAvailable()) {
        std::fprintf(stderr,
                     "Tarvex2 needs a graphical display: no DISPLAY or WAYLAND_DISPLAY is set.\n"
                     "Start it from a desktop session, or run the tests with 'make test'.\n");
        return 1;
    }
    tarvex::platform::WindowSystem windowSystem(argc, argv);
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 1;
    app->InitInstance();  // returns FALSE: the application has no message loop of its own
    return app->ExitInstance();
}

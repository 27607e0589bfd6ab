#include "platform/ui/win_app.h"
#include "platform/ui/window_system.h"

HICON CWinApp::LoadIcon(UINT id) const {
    return ::LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
}

int AfxWinMain(int argc, char** argv) {
    tarvex::platform::WindowSystem windowSystem(argc, argv);
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 1;
    app->InitInstance();  // returns FALSE: the application has no message loop of its own
    return app->ExitInstance();
}

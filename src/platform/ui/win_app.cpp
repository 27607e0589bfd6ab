#include "platform/ui/win_app.h"

#include <QFile>
#include <QIcon>
#include <cstdio>
#include <filesystem>
#include <map>

#include "platform/ui/window_system.h"

namespace {

CWinApp* g_app = nullptr;

std::wstring ProgramName() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::wstring(L"Tarvex2") : program.stem().wstring();
}

}  // namespace

CWinApp::CWinApp(const wchar_t* appName)
    : m_pszAppName(appName != nullptr ? appName : ProgramName()), previousApp_(g_app) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = previousApp_;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::SetRegistryKey(const wchar_t* key) { registryKey_ = key != nullptr ? key : L""; }

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

CWinApp* AfxGetApp() { return g_app; }

void InitCommonControls() {}

void AfxEnableControlContainer() {}

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

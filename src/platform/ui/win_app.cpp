// What the application object does the same on every window system.
#include "platform/ui/win_app.h"

#include "platform/system/program_file.h"

namespace {

CWinApp* g_app = nullptr;

std::wstring ProgramName() {
    const std::wstring stem = tarvex::platform::ProgramFile().stem().wstring();
    return stem.empty() ? std::wstring(L"Tarvex2") : stem;
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

CWinApp* AfxGetApp() { return g_app; }

void AfxEnableControlContainer() {}

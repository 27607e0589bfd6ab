// The Windows program: Tarvex2 on the desktop. Started from its Start-menu entry (--desktop) it
// works in Documents\Tarvex2, made on the first start with the licence text copied in;
// otherwise in the folder it is started in.
#include <cwchar>

#include "app/loader_app.h"
#include "platform/system/user_folder.h"
#include "platform/ui/win32_ui.h"

// The one application object; AfxWinMain runs it.
LoaderApp theApp;

// The installer and the uninstaller look for this name before they touch the program's files
// (a running program's file cannot be replaced). In the global namespace, so that a copy that
// another user left running is seen too; the system closes it when the program ends.
constexpr wchar_t kRunningMark[] = L"Global\\Tarvex2.Running";

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    int argc = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool desktop = false;
    for (int i = 1; arguments != nullptr && i < argc; ++i) {
        if (std::wcscmp(arguments[i], L"--desktop") == 0) desktop = true;
    }
    LocalFree(arguments);
    CreateMutexW(nullptr, FALSE, kRunningMark);
    if (desktop && !tarvex::platform::EnterUserFolder("Tarvex2", "OrvLicense.txt")) {
        MessageBoxW(nullptr, L"Tarvex2 cannot make or enter the folder Documents\\Tarvex2.",
                    L"Tarvex2", MB_OK | MB_ICONHAND);
        return 1;
    }
    return AfxWinMain(__argc, __argv);
}

// The application object, in the manner of the class library: exactly one exists, as a static
// object; AfxWinMain starts the window system and runs its InitInstance.
#pragma once

#include <string>

#include "platform/ui/win32_ui.h"

class CWnd;

class CWinApp {
  public:
    // Without a name, the application is named after its program file, without extension.
    explicit CWinApp(const wchar_t* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns FALSE to end the application without a message loop of its own.
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // Names the registry key the application's profile would be kept under; this program keeps
    // no profile, so the key is neither kept nor ever read or written.
    void SetRegistryKey(const wchar_t* /*key*/) {}

    // The program's icon resource `id`.
    HICON LoadIcon(UINT id) const;

    // Public, as in the class library: the framework and the program read and set them.
    std::wstring m_pszAppName;
    CWnd* m_pMainWnd = nullptr;

  private:
    CWinApp* previousApp_;  // AfxGetApp again once this one goes (tests make short-lived ones)
};

CWinApp* AfxGetApp();

// The hosting of ActiveX controls needs no set-up here: the program hosts none. The call stays so
// that start-up keeps its familiar shape.
void AfxEnableControlContainer();

// The program's entry: starts the window system and runs the application object. Without a
// display it says so and returns 1.
int AfxWinMain(int argc, char** argv);

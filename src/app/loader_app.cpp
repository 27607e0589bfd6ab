#include "app/loader_app.h"

#include "app/loader_dialog.h"

BOOL LoaderApp::InitInstance() {
    InitCommonControls();
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"Local AppWizard-Generated Applications");
    {
        LoaderDialog dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }              // its worker is stopped as it goes
    return FALSE;  // no message loop of the application's own: it ends here
}

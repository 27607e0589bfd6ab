// The application: shows the main dialog and ends when it ends.
#pragma once

#include "platform/ui/win_app.h"

class LoaderApp : public CWinApp {
  public:
    // The program file is named in lower case, as Linux programs are; message boxes carry the
    // product's name.
    LoaderApp() : CWinApp(L"Tarvex2") {}
    BOOL InitInstance() override;
};

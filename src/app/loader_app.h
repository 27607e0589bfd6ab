// The application: shows the main dialog and ends when it ends.
#pragma once

#include "platform/ui/win_app.h"

class LoaderApp : public CWinApp {
  public:
    BOOL InitInstance() override;
};

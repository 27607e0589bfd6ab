// The Help page: four steps of operating instructions, all of them in the dialog's template.
#pragma once

#include "platform/ui/dialog.h"

class HelpDialog : public CDialog {
  public:
    // `parent` owns the page: it stays above it and is centred on it.
    explicit HelpDialog(CWnd* parent = nullptr);
};

#include "about/help_dialog.h"

#include "about/templates.h"

HelpDialog::HelpDialog() : CDialog(kHelpTemplate, nullptr) {}

#include "about/help_dialog.h"

#include "about/templates.h"

using tarvex::about::kHelpTemplate;

HelpDialog::HelpDialog() : CDialog(kHelpTemplate, nullptr) {}

#include "about/help_dialog.h"

#include "about/templates.h"

using tarvex::about::kHelpTemplate;

HelpDialog::HelpDialog(CWnd* parent) : CDialog(kHelpTemplate, parent) {}

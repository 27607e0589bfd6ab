// The dialog templates of the About box (1013), the System Information report (1027) and the
// Help page (130).
#pragma once

#include "platform/ui/dialog_template.h"

namespace tarvex::about {

extern const DialogTemplate kAboutTemplate;
extern const DialogTemplate kSystemInfoTemplate;
extern const DialogTemplate kHelpTemplate;

}  // namespace tarvex::about

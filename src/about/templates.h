// The dialog templates of the About box (1013), the System Information report (1027) and the
// Help page (130).
#pragma once

#include "platform/ui/dialog_template.h"

namespace tarvex::about {

extern const platform::DialogTemplate kAboutTemplate;
extern const platform::DialogTemplate kSystemInfoTemplate;
extern const platform::DialogTemplate kHelpTemplate;

}  // namespace tarvex::about

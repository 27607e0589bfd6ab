// The line settings handed to a Windows serial driver: the port's own settings as it reported
// them, with the job's profile on top and nothing a driver may refuse. One function, so that
// both systems test what the Windows port sets.
#pragma once

#include "platform/serial/serial_link.h"
#include "platform/win32.h"

namespace tarvex::platform {

// The receive and transmit queues asked of the driver (SetupComm) before the settings are set:
// the flow-control limits below must fit inside them.
inline constexpr DWORD kPortQueueBytes = 4096;

// `reported` (what GetCommState said) with the profile's fields, binary transfer, no handshake
// of any kind, the XON/XOFF characters and limits every driver accepts, and the modem lines
// left as the port had them.
DCB ComStateFor(const DCB& reported, const LinkProfile& profile);

}  // namespace tarvex::platform

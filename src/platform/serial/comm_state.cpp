#include "platform/serial/comm_state.h"

namespace tarvex::platform {

DCB ComStateFor(const DCB& reported, const LinkProfile& profile) {
    DCB dcb = reported;
    dcb.DCBlength = sizeof dcb;
    dcb.fBinary = TRUE;  // Windows supports no other transfer
    // No handshake: a three-wire cable leaves CTS and DSR low, so an output handshake left on
    // by another program holds every write for ever, and DSR sensitivity drops every byte
    // received. The modem lines themselves keep what the port reported (a converter may be
    // powered from DTR, or switch its direction with RTS toggling); a line that was run by a
    // handshake is held up instead.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE) dcb.fDtrControl = DTR_CONTROL_ENABLE;
    if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fInX = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    // No character replacement; errors that do not stop the port.
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    // SetCommState refuses a record whose XonChar equals XoffChar (another program may leave
    // both 0), and serial drivers refuse limits larger than their receive queue; some USB-serial
    // drivers hang on them. Both are set in every profile, used or not.
    dcb.XonChar = profile.XonChar.value_or('\x11');
    dcb.XoffChar = profile.XoffChar.value_or('\x13');
    dcb.XonLim = kPortQueueBytes / 4;
    dcb.XoffLim = kPortQueueBytes / 4;
    dcb.wReserved = 0;  // "must be zero"
    // Exactly the job's fields.
    dcb.BaudRate = profile.BaudRate;
    dcb.fParity = profile.fParity ? TRUE : FALSE;
    dcb.fOutX = profile.fOutX.value_or(false) ? TRUE : FALSE;
    dcb.ByteSize = profile.ByteSize;
    dcb.Parity = profile.Parity;
    dcb.StopBits = profile.StopBits;
    return dcb;
}

}  // namespace tarvex::platform

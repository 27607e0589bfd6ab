// The settings the Windows port hands its driver, from what the port reported and the job's
// profile.
#include "platform/serial/comm_state.h"

#include <gtest/gtest.h>

#include "update/link_profile.h"

namespace {

using tarvex::platform::ComStateFor;
using tarvex::update::kConsoleProfile;
using tarvex::update::kSignProfile;

// A port as another program may leave it: every handshake on, both flow-control characters 0,
// limits past any queue, odd line settings, the modem lines each in its own state.
DCB LeftByAnotherProgram(DWORD dtr, DWORD rts) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 300;
    dcb.fBinary = TRUE;
    dcb.fParity = TRUE;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fOutxDsrFlow = TRUE;
    dcb.fDtrControl = dtr;
    dcb.fDsrSensitivity = TRUE;
    dcb.fTXContinueOnXoff = FALSE;
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    dcb.fErrorChar = TRUE;
    dcb.fNull = TRUE;
    dcb.fRtsControl = rts;
    dcb.fAbortOnError = TRUE;
    dcb.XonLim = 65535;
    dcb.XoffLim = 65535;
    dcb.ByteSize = 7;
    dcb.Parity = 2;
    dcb.StopBits = 2;
    dcb.XonChar = 0;
    dcb.XoffChar = 0;
    dcb.ErrorChar = '?';
    dcb.EofChar = 0x1A;
    dcb.EvtChar = '\n';
    return dcb;
}

void ExpectNoHandshakeAndDriverSafe(const DCB& dcb) {
    EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
    EXPECT_TRUE(dcb.fBinary);
    EXPECT_FALSE(dcb.fOutxCtsFlow);
    EXPECT_FALSE(dcb.fOutxDsrFlow);
    EXPECT_FALSE(dcb.fDsrSensitivity);
    EXPECT_FALSE(dcb.fInX);
    EXPECT_FALSE(dcb.fErrorChar);
    EXPECT_FALSE(dcb.fNull);
    EXPECT_FALSE(dcb.fAbortOnError);
    EXPECT_NE(dcb.fDtrControl, DTR_CONTROL_HANDSHAKE);
    EXPECT_NE(dcb.fRtsControl, RTS_CONTROL_HANDSHAKE);
    // SetCommState refuses equal characters; drivers refuse limits past their queue.
    EXPECT_EQ(dcb.XonChar, '\x11');
    EXPECT_EQ(dcb.XoffChar, '\x13');
    EXPECT_LT(dcb.XonLim, tarvex::platform::kPortQueueBytes);
    EXPECT_LT(dcb.XoffLim, tarvex::platform::kPortQueueBytes);
    EXPECT_LE(dcb.XonLim + dcb.XoffLim, tarvex::platform::kPortQueueBytes);
    EXPECT_EQ(dcb.wReserved, 0);
    // What no job names stays as the port had it.
    EXPECT_EQ(dcb.ErrorChar, '?');
    EXPECT_EQ(dcb.EofChar, 0x1A);
    EXPECT_EQ(dcb.EvtChar, '\n');
}

TEST(ComState, BothProfilesFromAPortLeftWithEveryHandshakeOn) {
    const DCB console = ComStateFor(
        LeftByAnotherProgram(DTR_CONTROL_HANDSHAKE, RTS_CONTROL_HANDSHAKE), kConsoleProfile);
    ExpectNoHandshakeAndDriverSafe(console);
    EXPECT_EQ(console.BaudRate, 115200u);
    EXPECT_EQ(console.ByteSize, 8);
    EXPECT_EQ(console.Parity, 0);
    EXPECT_EQ(console.StopBits, 0);
    EXPECT_TRUE(console.fParity);
    EXPECT_FALSE(console.fOutX) << "the console runs without XON/XOFF";
    EXPECT_EQ(console.fDtrControl, DTR_CONTROL_ENABLE) << "a handshake line is held up";
    EXPECT_EQ(console.fRtsControl, RTS_CONTROL_ENABLE);

    const DCB sign = ComStateFor(LeftByAnotherProgram(DTR_CONTROL_HANDSHAKE, RTS_CONTROL_HANDSHAKE),
                                 kSignProfile);
    ExpectNoHandshakeAndDriverSafe(sign);
    EXPECT_EQ(sign.BaudRate, 19200u);
    EXPECT_TRUE(sign.fOutX) << "the sign holds the line with XOFF";
    EXPECT_TRUE(sign.fTXContinueOnXoff);
}

// The modem lines are not the job's: whatever the port had (a converter powered from DTR, one
// that turns its direction with RTS) it keeps.
TEST(ComState, TheModemLinesKeepWhatThePortReported) {
    for (const auto& profile : {kConsoleProfile, kSignProfile}) {
        for (const DWORD dtr : {DTR_CONTROL_DISABLE, DTR_CONTROL_ENABLE}) {
            for (const DWORD rts : {RTS_CONTROL_DISABLE, RTS_CONTROL_ENABLE, RTS_CONTROL_TOGGLE}) {
                const DCB dcb = ComStateFor(LeftByAnotherProgram(dtr, rts), profile);
                ExpectNoHandshakeAndDriverSafe(dcb);
                EXPECT_EQ(dcb.fDtrControl, dtr);
                EXPECT_EQ(dcb.fRtsControl, rts);
            }
        }
    }
}

}  // namespace

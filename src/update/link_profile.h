// The line settings of the two devices.
#pragma once

#include "platform/serial/serial_link.h"

namespace tarvex::update {

// The Quorlex 2000 console: 115200 baud, 8 data bits, no parity, one stop bit; XON/XOFF stays
// as the port's raw state has it (off).
inline constexpr LinkProfile kConsoleProfile{.BaudRate = 115200,
                                             .fParity = true,
                                             .fOutX = std::nullopt,
                                             .ByteSize = 8,
                                             .Parity = 0,
                                             .StopBits = 0,
                                             .XonChar = std::nullopt,
                                             .XoffChar = std::nullopt};

// The Tessary 5500 sign controller: 19200 baud, 8N1, XON/XOFF on transmit.
inline constexpr LinkProfile kSignProfile{.BaudRate = 19200,
                                          .fParity = true,
                                          .fOutX = true,
                                          .ByteSize = 8,
                                          .Parity = 0,
                                          .StopBits = 0,
                                          .XonChar = '\x11',
                                          .XoffChar = '\x13'};

}  // namespace tarvex::update

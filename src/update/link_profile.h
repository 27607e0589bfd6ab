// The line settings a job applies on top of the port's own.
#pragma once

#include <cstdint>
#include <optional>

struct LinkProfile {
    std::uint32_t BaudRate;
    bool fParity;               // parity checking
    std::optional<bool> fOutX;  // XON/XOFF on transmit; none leaves the port's own
    std::uint8_t ByteSize;
    std::uint8_t Parity;    // 0 = NOPARITY
    std::uint8_t StopBits;  // 0 = ONESTOPBIT
    std::optional<char> XonChar;
    std::optional<char> XoffChar;
};

// The Quorlex 2000 console: 115200 baud, 8 data bits, no parity, one stop bit.
inline constexpr LinkProfile kConsoleProfile{115200, true, std::nullopt, 8,
                                             0,      0,    std::nullopt, std::nullopt};

// The Tessary 5500 sign controller: 19200 baud, 8N1, XON/XOFF on transmit.
inline constexpr LinkProfile kSignProfile{19200, true, true, 8, 0, 0, '\x11', '\x13'};

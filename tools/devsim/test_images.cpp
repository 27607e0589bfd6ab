#include "test_images.h"

#include <algorithm>
#include <cstdio>

namespace tarvex::devsim {

std::string MakeIntelHex(std::size_t dataBytes) {
    std::string hex;
    char line[64];
    for (std::size_t address = 0; address < dataBytes; address += 16) {
        const std::size_t length = std::min<std::size_t>(16, dataBytes - address);
        unsigned sum = static_cast<unsigned>(length + (address >> 8) + (address & 0xFF));
        std::snprintf(line, sizeof line, ":%02zX%04zX00", length, address & 0xFFFF);
        hex += line;
        for (std::size_t i = 0; i < length; ++i) {
            const unsigned byte = static_cast<unsigned>((address + i) * 37 + 11) & 0xFF;
            sum += byte;
            std::snprintf(line, sizeof line, "%02X", byte);
            hex += line;
        }
        std::snprintf(line, sizeof line, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
        hex += line;
    }
    return hex + kIntelHexEndRecord + "\r\n";
}

Bytes MakeFieldUpdate(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 131 + 7) & 0xFF);
    return bytes;
}

}  // namespace tarvex::devsim

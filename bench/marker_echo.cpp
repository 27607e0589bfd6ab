#include "marker_echo.h"

#include <cstdint>

#include "platform/serial/forwarding_serial_link.h"
#include "update/link_profile.h"

namespace tarvex::bench {

bool AnswerMarkers(const std::wstring& name, std::shared_ptr<platform::Cancellation> cancellation) {
    platform::ForwardingSerialLink port(platform::MakeSerialPort(std::move(cancellation)));
    if (!port.Open(name)) return false;
    port.ReadSettings();
    port.ApplySettings(update::kConsoleProfile);
    port.SetEventMask(EV_RXCHAR);
    std::uint8_t buffer[64];
    std::uint32_t events = 0;
    while (port.WaitForEvent(events)) {
        const std::size_t count = port.ReadAvailable(buffer, sizeof buffer);
        if (count == 0) continue;
        const std::uint8_t last = buffer[count - 1];
        if (last == '6') break;
        const char* reply = last == '3' ? "#1" : "#0";
        std::size_t written = 0;
        port.Write(reinterpret_cast<const std::uint8_t*>(reply), 2, written);
    }
    return true;
}

}  // namespace tarvex::bench

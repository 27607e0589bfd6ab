#include "update/system_serial_link.h"

using tarvex::platform::SerialLineSettings;

SystemSerialLink::SystemSerialLink(std::shared_ptr<tarvex::platform::Cancellation> cancellation)
    : port_(std::move(cancellation)) {}

bool SystemSerialLink::Open(const std::wstring& portName) { return port_.Open(portName); }

bool SystemSerialLink::ReadSettings() { return port_.ReadSettings(); }

bool SystemSerialLink::ApplySettings(const LinkProfile& profile) {
    SerialLineSettings settings{profile.BaudRate, profile.ByteSize, profile.Parity,
                                profile.StopBits, profile.fParity,  std::nullopt};
    // A profile that leaves flow control alone leaves the port's XON/XOFF as it was.
    if (profile.fOutX.value_or(false)) {
        settings.flowControl = SerialLineSettings::XonXoff{profile.XonChar.value_or('\x11'),
                                                           profile.XoffChar.value_or('\x13')};
    }
    return port_.ApplySettings(settings);
}

bool SystemSerialLink::SetEventMask(std::uint32_t mask) { return port_.SetEventMask(mask); }

bool SystemSerialLink::ReadTimeouts() { return port_.ReadTimeouts(); }

bool SystemSerialLink::ApplyTimeouts() { return port_.ApplyTimeouts(); }

bool SystemSerialLink::WaitForEvent(std::uint32_t& events) {
    DWORD bits = 0;
    const bool ok = port_.WaitForEvent(bits);
    events = bits;
    return ok;
}

std::size_t SystemSerialLink::ReadAvailable(std::uint8_t* buffer, std::size_t room) {
    return port_.ReadAvailable(buffer, room);
}

bool SystemSerialLink::Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) {
    return port_.Write(bytes, count, written);
}

void SystemSerialLink::Close() { port_.Close(); }

std::uint32_t SystemSerialLink::LastError() const { return port_.LastError(); }

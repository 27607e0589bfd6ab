// SerialLink on the system's serial ports.
#pragma once

#include <memory>

#include "platform/serial_port.h"
#include "update/serial_link.h"

class SystemSerialLink final : public SerialLink {
  public:
    // `cancellation` ends every wait and write of the link when it is cancelled.
    explicit SystemSerialLink(std::shared_ptr<tarvex::platform::Cancellation> cancellation);

    bool Open(const std::wstring& portName) override;
    bool ReadSettings() override;
    bool ApplySettings(const LinkProfile& profile) override;
    bool SetEventMask(std::uint32_t mask) override;
    bool ReadTimeouts() override;
    bool ApplyTimeouts() override;
    bool WaitForEvent(std::uint32_t& events) override;
    std::size_t ReadAvailable(std::uint8_t* buffer, std::size_t room) override;
    bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override;
    void Close() override;
    std::uint32_t LastError() const override;

  private:
    tarvex::platform::SerialPort port_;
};

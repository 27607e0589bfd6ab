// A SerialLink that passes every call on to another one: the base of links that watch a job's
// line (the job log, the tests' records).
#pragma once

#include <memory>

#include "platform/serial/serial_link.h"

namespace tarvex::platform {

class ForwardingSerialLink : public SerialLink {
  public:
    explicit ForwardingSerialLink(std::unique_ptr<SerialLink> inner) : inner_(std::move(inner)) {}

    bool Open(const std::wstring& portName) override { return inner_->Open(portName); }
    bool ReadSettings() override { return inner_->ReadSettings(); }
    bool ApplySettings(const LinkProfile& profile) override {
        return inner_->ApplySettings(profile);
    }
    bool SetEventMask(std::uint32_t mask) override { return inner_->SetEventMask(mask); }
    bool ReadTimeouts() override { return inner_->ReadTimeouts(); }
    bool ApplyTimeouts() override { return inner_->ApplyTimeouts(); }
    bool WaitForEvent(std::uint32_t& events) override { return inner_->WaitForEvent(events); }
    std::size_t ReadAvailable(std::uint8_t* buffer, std::size_t room) override {
        return inner_->ReadAvailable(buffer, room);
    }
    bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override {
        return inner_->Write(bytes, count, written);
    }
    bool Drain() override { return inner_->Drain(); }
    void Close() override { inner_->Close(); }
    std::uint32_t LastError() const override { return inner_->LastError(); }
    bool Cancelled() const override { return inner_->Cancelled(); }

  private:
    std::unique_ptr<SerialLink> inner_;
};

}  // namespace tarvex::platform

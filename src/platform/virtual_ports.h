// Serial ports that programs make (a device simulator's pseudo-terminal, a virtual port), entered
// in a per-user table as a Windows virtual-port driver enters its port in the system's table:
// one file for each port under $XDG_RUNTIME_DIR/tarvex2/ports, naming the port and the process
// that registered it. A registration whose process or port has gone is ignored, so a program
// killed before it could remove its entry leaves no ghost port.
#pragma once

#include <string>
#include <vector>

namespace tarvex::platform {

class VirtualPortRegistration {
  public:
    // Enters `portPath` (described by `what`, for people) in the table; nothing when the table
    // cannot be written.
    VirtualPortRegistration(const std::string& portPath, const std::string& what);
    ~VirtualPortRegistration();  // removes the entry
    VirtualPortRegistration(const VirtualPortRegistration&) = delete;
    VirtualPortRegistration& operator=(const VirtualPortRegistration&) = delete;

    bool Registered() const { return !entry_.empty(); }

  private:
    std::string entry_;
};

// The registered ports that still exist, oldest registration first, as system names.
std::vector<std::wstring> ListVirtualPorts();

}  // namespace tarvex::platform

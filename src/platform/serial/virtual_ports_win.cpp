#include "platform/serial/virtual_ports.h"

namespace tarvex::platform {

// Windows has its own table for virtual ports (the system's port table, where their drivers
// enter them), so the per-user table is not kept there: nothing registers, nothing is listed.
struct VirtualPortRegistration::State {};

VirtualPortRegistration::VirtualPortRegistration(const std::string& /*portPath*/,
                                                 const std::string& /*what*/)
    : why_(
          "Windows lists virtual ports in the system's port table, where their drivers enter "
          "them") {}

VirtualPortRegistration::~VirtualPortRegistration() = default;

std::vector<std::wstring> ListVirtualPorts() { return {}; }

std::vector<DescribedPort> ListVirtualPortEntries() { return {}; }

}  // namespace tarvex::platform

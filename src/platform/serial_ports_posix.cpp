#include "platform/serial_ports.h"

#include <libserialport.h>

#include <algorithm>

#include "platform/text.h"
#include "platform/virtual_ports.h"

namespace tarvex::platform {

SerialPortList ReadSystemSerialPorts() {
    sp_port** ports = nullptr;
    if (sp_list_ports(&ports) != SP_OK) return std::nullopt;
    std::vector<std::wstring> names;
    for (sp_port** port = ports; *port != nullptr; ++port) {
        std::wstring name = FromSystemName(sp_get_port_name(*port));
        if (name.size() <= kMaxPortNameLength) names.push_back(std::move(name));
    }
    sp_free_port_list(ports);
    for (std::wstring& name : ListVirtualPorts()) {
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    return names;
}

}  // namespace tarvex::platform

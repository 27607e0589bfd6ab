#include "platform/serial/serial_ports.h"

#include <libserialport.h>

#include <algorithm>

#include "platform/serial/virtual_ports.h"
#include "platform/text.h"

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

std::vector<DescribedPort> DescribeSystemSerialPorts() {
    std::vector<DescribedPort> described;
    sp_port** ports = nullptr;
    if (sp_list_ports(&ports) == SP_OK) {
        for (sp_port** port = ports; *port != nullptr; ++port) {
            const char* description = sp_get_port_description(*port);
            if (sp_get_port_transport(*port) == SP_TRANSPORT_USB && description != nullptr &&
                *description != '\0') {
                described.push_back(
                    {FromSystemName(sp_get_port_name(*port)), FromSystemName(description)});
            }
        }
        sp_free_port_list(ports);
    }
    for (DescribedPort& port : ListVirtualPortEntries()) described.push_back(std::move(port));
    return described;
}

}  // namespace tarvex::platform

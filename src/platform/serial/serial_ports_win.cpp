#include "platform/serial/port_table.h"
#include "platform/serial/serial_ports.h"
#include "platform/win32.h"

namespace tarvex::platform {

// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM: each value is a port's driver name, its data
// the port's name ("COM3"). Virtual-port drivers enter their ports there too; Wine enters the
// ports of HKLM\Software\Wine\Ports and its own devices.
SerialPortList ReadSystemSerialPorts() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        // A computer without serial ports has no such key: no table, and the menu keeps its
        // placeholder.
        return std::nullopt;
    }
    std::vector<std::wstring> names = PortNamesFrom([key](DWORD index) {
        wchar_t valueName[256];
        DWORD valueNameLength = 256;
        // Room for one character more than a name may hold, so that a longer one is seen.
        wchar_t data[kMaxPortNameLength + 2] = {};
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        PortTableValue value;
        value.result = static_cast<DWORD>(RegEnumValueW(key, index, valueName, &valueNameLength,
                                                        nullptr, &value.type,
                                                        reinterpret_cast<BYTE*>(data), &dataBytes));
        if (value.result == ERROR_SUCCESS) value.data.assign(data, dataBytes / sizeof(wchar_t));
        return value;
    });
    RegCloseKey(key);
    return names;
}

std::vector<DescribedPort> DescribeSystemSerialPorts() { return {}; }

}  // namespace tarvex::platform

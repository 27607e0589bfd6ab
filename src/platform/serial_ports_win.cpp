#include "platform/serial_ports.h"
#include "platform/win32.h"

namespace tarvex::platform {

// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM: each value is a port's driver name, its data
// the port's name ("COM3"). Virtual-port drivers enter their ports there too; Wine enters the
// ports of HKLM\Software\Wine\Ports and its own devices.
SerialPortList ReadSystemSerialPorts() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        // A computer without serial ports has no such key: an empty table, not a failure.
        return std::vector<std::wstring>{};
    }
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256];
        DWORD valueNameLength = 256;
        wchar_t data[kMaxPortNameLength + 2] = {};
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, index, valueName, &valueNameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataBytes);
        if (result == ERROR_NO_MORE_ITEMS) break;
        // A name too long for the table (ERROR_MORE_DATA) is left out, never shortened.
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        std::wstring name(data, dataBytes / sizeof(wchar_t));
        while (!name.empty() && name.back() == L'\0') name.pop_back();
        if (!name.empty() && name.size() <= kMaxPortNameLength) names.push_back(std::move(name));
    }
    RegCloseKey(key);
    return names;
}

}  // namespace tarvex::platform

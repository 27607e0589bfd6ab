#include "platform/serial/port_table.h"

#include "platform/serial/serial_ports.h"

namespace tarvex::platform {

namespace {

// The data of a REG_SZ value may or may not carry its terminating zeros.
std::wstring WithoutTrailingZeros(std::wstring text) {
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

}  // namespace

std::vector<std::wstring> PortNamesFrom(
    const std::function<PortTableValue(DWORD index)>& enumerate) {
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        const PortTableValue value = enumerate(index);
        if (value.result != ERROR_SUCCESS && value.result != ERROR_MORE_DATA) break;
        std::wstring name;
        // A name too long for the table is left out, never shortened to another port's name.
        if (value.result == ERROR_SUCCESS && value.type == REG_SZ) {
            name = WithoutTrailingZeros(value.data);
            if (name.size() > kMaxPortNameLength) name.clear();
        }
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace tarvex::platform

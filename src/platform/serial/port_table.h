// Reading the Windows table of serial ports, value by value. One function, so that both systems
// test how the Communications menu comes out of what the registry answers.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace tarvex::platform {

// What RegEnumValueW answered for one value of HARDWARE\DEVICEMAP\SERIALCOMM: its result (an
// error code), the value's type and its data as far as it was read.
struct PortTableValue {
    DWORD result = ERROR_SUCCESS;
    DWORD type = REG_SZ;
    std::wstring data;
};

// The port names of the values `enumerate` gives for index 0, 1, ... An entry that cannot be
// a port's name (data too long for the table, not text, empty) is an empty name that holds its
// place, so that every other port keeps the command of its enumeration index. The enumeration
// ends at the first answer that is neither a value nor "more data": "no more items", but also a
// key deleted meanwhile, which answers every index alike.
std::vector<std::wstring> PortNamesFrom(
    const std::function<PortTableValue(DWORD index)>& enumerate);

}  // namespace tarvex::platform

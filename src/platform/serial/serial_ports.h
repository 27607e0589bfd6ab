// The system's table of serial ports.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tarvex::platform {

// The longest port name the table holds. The jobs open a port by the menu's text, so a longer
// name is left out of the table rather than shortened to another port's name.
inline constexpr std::size_t kMaxPortNameLength = 100;

// Port device names in the order the system enumerates them, unsorted; an empty name holds the
// place of an entry that cannot be a port's name, so that the others keep their positions. No
// value when the table cannot be read, or the system keeps none.
using SerialPortList = std::optional<std::vector<std::wstring>>;

// Reads the system's table, without the names too long to hold: on Windows the registry's
// (platform/serial/port_table.h), "COM1" and so on; on Linux the serial devices (libserialport's
// sysfs walk, which skips virtual terminals and probes 8250 UARTs: "/dev/ttyS0", "/dev/ttyUSB0"),
// followed by the virtual ports that programs registered (platform/serial/virtual_ports.h).
SerialPortList ReadSystemSerialPorts();

// A port of the table with what it is, for people ("QEMU USB SERIAL", "simulated Quorlex 2000
// console").
struct DescribedPort {
    std::wstring name;
    std::wstring description;
};

// What the system can tell of its ports: the product and serial number a USB adapter names
// itself by ("QEMU USB SERIAL - TARVEX01", libserialport's description from its USB descriptor)
// and what the programs that registered virtual ports said they are. A UART has nothing to tell
// beyond its name and is left out. On Windows the registry's table holds names alone: nothing
// is described.
std::vector<DescribedPort> DescribeSystemSerialPorts();

}  // namespace tarvex::platform

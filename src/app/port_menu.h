// The Communications menu: one item per serial port of the system, exactly one of them checked.
#pragma once

#include <string>

#include "platform/serial_ports.h"
#include "platform/ui/menu.h"

namespace tarvex::app {

// Longest port name a menu item keeps; longer names are cut to it.
inline constexpr std::size_t kMaxPortNameLength = 100;

// Replaces the menu's placeholder with the ports, item i with command id 500 + i, checking the
// one at `positionToCheck`. Without a port table the placeholder stays.
void FillPortItems(CMenu& menu, const platform::SerialPortList& ports, int positionToCheck);

// Makes the menu's items the ports of `ports`, keeping the check on the item named `checked`
// when it is still listed and on the first item otherwise; returns the checked position (-1
// for an empty list).
int RebuildPortMenu(CMenu& menu, const std::vector<std::wstring>& ports,
                    const std::wstring& checked);

// True when `id` is a port item's command that can be chosen.
bool IsPortCommand(unsigned id);

// Moves the check mark to the item of `id`.
void CheckPortItem(CMenu& menu, unsigned id);

// Grays or enables every port item, by command.
void EnablePortItems(CMenu& menu, bool enable);

// The text of the checked item, or empty text when none is checked.
std::wstring CheckedPortName(const CMenu& menu);

}  // namespace tarvex::app

// The Communications menu: one item per serial port of the system, exactly one of them checked.
#pragma once

#include <string>

#include "platform/serial/serial_ports.h"
#include "platform/ui/menu.h"

namespace tarvex::app {

// Replaces the menu's placeholder with the ports, checking the one at `positionToCheck`. Item i
// has command id 500 + i for the first 256 items; the items past them are shown grayed, with no
// command, so that no port can ever stand for another command of the window; so are the empty
// names that hold a place. Without a port table the placeholder stays.
void FillPortItems(CMenu& menu, const platform::SerialPortList& ports, int positionToCheck);

// Makes the menu's items the ports of `ports`. The checked item stays checked: on its port when
// that is still listed, and otherwise as an item of its own at its old position, so that the
// check never moves to another device by itself. With nothing checked nothing is: only the
// technician checks a port. Returns the checked position (-1 for none).
int RebuildPortMenu(CMenu& menu, std::vector<std::wstring> ports);

// Gives each item whose port is described (an adapter's product, what a program that registered
// the port said it is) the description as its tip; the item's text stays the bare port name the
// job opens.
void ShowPortTips(CMenu& menu, const std::vector<platform::DescribedPort>& described);

// True when `id` is a port item's command that can be chosen.
bool IsPortCommand(unsigned id);

// Moves the check mark to the item of `id`.
void CheckPortItem(CMenu& menu, unsigned id);

// Grays or enables every port item that can be chosen, by command.
void EnablePortItems(CMenu& menu, bool enable);

// The text of the checked item, or empty text when none is checked.
std::wstring CheckedPortName(const CMenu& menu);

}  // namespace tarvex::app

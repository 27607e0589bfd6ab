#include "app/port_menu.h"

#include <algorithm>

#include "app/resource.h"

namespace tarvex::app {

namespace {

constexpr int kNoPosition = -1;

// The items that have a port command: the first kPortCommandCount of the menu.
int ChoosableCount(const CMenu& menu) {
    return std::min(menu.GetMenuItemCount(), static_cast<int>(kPortCommandCount));
}

void AppendPortItems(CMenu& menu, const std::vector<std::wstring>& ports, int positionToCheck) {
    for (std::size_t i = 0; i < ports.size(); ++i) {
        // An entry the system could not give as a port's name holds its place, grayed, so that
        // the ports after it keep their commands (and the saved position its port).
        if (i >= kPortCommandCount || ports[i].empty()) {
            menu.AppendMenu(MF_STRING | MF_GRAYED, kNoPortCommand, ports[i].c_str());
            continue;
        }
        const bool checked = positionToCheck >= 0 && static_cast<std::size_t>(positionToCheck) == i;
        menu.AppendMenu(MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED),
                        kFirstPortCommand + static_cast<unsigned>(i), ports[i].c_str());
    }
}

int CheckedPosition(const CMenu& menu) {
    for (int p = 0; p < menu.GetMenuItemCount(); ++p) {
        if (menu.GetMenuState(static_cast<UINT>(p), MF_BYPOSITION) & MF_CHECKED) return p;
    }
    return kNoPosition;
}

}  // namespace

void FillPortItems(CMenu& menu, const platform::SerialPortList& ports, int positionToCheck) {
    if (!ports) return;
    menu.DeleteMenu(0, MF_BYPOSITION);
    AppendPortItems(menu, *ports, positionToCheck);
}

int RebuildPortMenu(CMenu& menu, std::vector<std::wstring> ports) {
    const int oldPosition = CheckedPosition(menu);
    const std::wstring checked = CheckedPortName(menu);
    int position = kNoPosition;
    if (oldPosition != kNoPosition) {
        const auto choosable =
            ports.begin() + std::min(ports.size(), std::size_t{kPortCommandCount});
        const auto found = std::find(ports.begin(), choosable, checked);
        if (found != choosable) {
            position = static_cast<int>(found - ports.begin());
        } else {
            // Gone from the system's list (a simulator ended, an adapter was pulled): the item
            // stays where it was until the technician checks another; a job on it fails to open.
            position = std::min({oldPosition, static_cast<int>(ports.size()),
                                 static_cast<int>(kPortCommandCount) - 1});
            ports.insert(ports.begin() + position, checked);
        }
    }
    while (menu.GetMenuItemCount() > 0) menu.DeleteMenu(0, MF_BYPOSITION);
    AppendPortItems(menu, ports, position);
    return position;
}

void ShowPortTips(CMenu& menu, const std::vector<platform::DescribedPort>& described) {
    for (int p = 0; p < menu.GetMenuItemCount(); ++p) {
        std::wstring name;
        menu.GetMenuString(static_cast<UINT>(p), name, MF_BYPOSITION);
        for (const platform::DescribedPort& port : described) {
            if (port.name == name) {
                menu.SetMenuItemTip(static_cast<UINT>(p), port.description, MF_BYPOSITION);
            }
        }
    }
}

bool IsPortCommand(unsigned id) { return id - kFirstPortCommand < kPortCommandCount; }

void CheckPortItem(CMenu& menu, unsigned id) {
    const int count = ChoosableCount(menu);
    for (int i = 0; i < count; ++i) {
        menu.CheckMenuItem(kFirstPortCommand + static_cast<unsigned>(i),
                           MF_UNCHECKED | MF_BYCOMMAND);
    }
    menu.CheckMenuItem(id, MF_CHECKED | MF_BYCOMMAND);
}

void EnablePortItems(CMenu& menu, bool enable) {
    // The count is read again before each item, as items may come and go meanwhile.
    for (int i = 0; i < ChoosableCount(menu); ++i) {
        menu.EnableMenuItem(kFirstPortCommand + static_cast<unsigned>(i),
                            (enable ? MF_ENABLED : MF_GRAYED) | MF_BYCOMMAND);
    }
}

std::wstring CheckedPortName(const CMenu& menu) {
    std::wstring name;
    const int position = CheckedPosition(menu);
    if (position != kNoPosition)
        menu.GetMenuString(static_cast<UINT>(position), name, MF_BYPOSITION);
    return name;
}

}  // namespace tarvex::app

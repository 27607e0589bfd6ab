#include "app/port_menu.h"

#include "app/resource.h"

namespace tarvex::app {

namespace {

void AppendPortItems(CMenu& menu, const std::vector<std::wstring>& ports, int positionToCheck) {
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const std::wstring name = ports[i].substr(0, kMaxPortNameLength);
        const bool checked = positionToCheck >= 0 && static_cast<std::size_t>(positionToCheck) == i;
        menu.AppendMenu(MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), kFirstPortCommand + i,
                        name.c_str());
    }
}

}  // namespace

void FillPortItems(CMenu& menu, const platform::SerialPortList& ports, int positionToCheck) {
    if (!ports) return;
    menu.DeleteMenu(0, MF_BYPOSITION);
    AppendPortItems(menu, *ports, positionToCheck);
}

int RebuildPortMenu(CMenu& menu, const std::vector<std::wstring>& ports,
                    const std::wstring& checked) {
    while (menu.GetMenuItemCount() > 0) menu.DeleteMenu(0, MF_BYPOSITION);
    int position = ports.empty() ? -1 : 0;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (!checked.empty() && ports[i].substr(0, kMaxPortNameLength) == checked) {
            position = static_cast<int>(i);
        }
    }
    AppendPortItems(menu, ports, position);
    return position;
}

bool IsPortCommand(unsigned id) { return id - kFirstPortCommand < kPortCommandCount; }

void CheckPortItem(CMenu& menu, unsigned id) {
    const int count = menu.GetMenuItemCount();
    for (int i = 0; i < count; ++i) {
        menu.CheckMenuItem(kFirstPortCommand + static_cast<unsigned>(i),
                           MF_UNCHECKED | MF_BYCOMMAND);
    }
    menu.CheckMenuItem(id, MF_CHECKED | MF_BYCOMMAND);
}

void EnablePortItems(CMenu& menu, bool enable) {
    // The count is read again before each item, as items may come and go meanwhile.
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        menu.EnableMenuItem(kFirstPortCommand + static_cast<unsigned>(i),
                            (enable ? MF_ENABLED : MF_GRAYED) | MF_BYCOMMAND);
    }
}

std::wstring CheckedPortName(const CMenu& menu) {
    for (int p = 0; p < menu.GetMenuItemCount(); ++p) {
        if (menu.GetMenuState(static_cast<UINT>(p), MF_BYPOSITION) & MF_CHECKED) {
            std::wstring name;
            menu.GetMenuString(static_cast<UINT>(p), name, MF_BYPOSITION);
            return name;
        }
    }
    return {};
}

}  // namespace tarvex::app

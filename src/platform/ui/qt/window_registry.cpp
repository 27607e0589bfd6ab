#include "platform/ui/qt/window_registry.h"

#include <QPointer>
#include <unordered_map>

namespace tarvex::platform {
namespace {

struct Registry {
    std::unordered_map<std::uintptr_t, QPointer<QWidget>> windows;
    std::uintptr_t next = 0x10000;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

HWND RegisterWindow(QWidget* window) {
    Registry& registry = TheRegistry();
    const std::uintptr_t value = registry.next;
    registry.next += 2;
    registry.windows.emplace(value, window);
    return reinterpret_cast<HWND>(value);
}

void UnregisterWindow(HWND handle) {
    TheRegistry().windows.erase(reinterpret_cast<std::uintptr_t>(handle));
}

QWidget* WindowForHandle(HWND handle) {
    auto& windows = TheRegistry().windows;
    auto it = windows.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == windows.end() ? nullptr : it->second.data();
}

}  // namespace tarvex::platform

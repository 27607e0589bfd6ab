#include "app/setup_types.h"

namespace tarvex::app {

bool IsKnownSetupType(SetupType type) {
    return type >= 0 && static_cast<std::size_t>(type) < kSetupTypes.size();
}

bool IsConsoleSetupType(SetupType type) {
    return type < kFieldUpdateType || type == kCustomConsoleType;
}

std::optional<std::wstring> FirmwareFileFor(SetupType type, const std::wstring& customFile) {
    if (!IsKnownSetupType(type)) return std::nullopt;
    if (type == kCustomConsoleType || type == kCustomSignType) return customFile;
    return kSetupTypes[static_cast<std::size_t>(type)].fileName;
}

}  // namespace tarvex::app

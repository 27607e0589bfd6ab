#include "app/settings_record.h"

namespace tarvex::app {

bool LoadSettingsRecord(CArchive& archive, SettingsRecord& record) {
    std::int32_t version = 0;
    archive >> version;
    if (version != kSettingsVersion) return false;
    SettingsRecord read;
    archive >> read.setupType;
    archive.ReadString(read.customFile, kMostPathUnits);
    archive >> read.portIndex;
    record = std::move(read);
    return true;
}

void StoreSettingsRecord(CArchive& archive, const SettingsRecord& record) {
    archive << kSettingsVersion << record.setupType << record.customFile << record.portIndex;
}

}  // namespace tarvex::app

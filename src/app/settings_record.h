// The fields of the settings file "Tarvex2.cfg", in the order the file holds them: version,
// setup type, custom firmware path (an archive string), position of the checked serial port.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files/archive.h"

namespace tarvex::app {

struct SettingsRecord {
    std::int32_t setupType = 0;
    std::wstring customFile;
    std::int32_t portIndex = 0;
};

// The only version this program writes and reads.
inline constexpr std::int32_t kSettingsVersion = 1;

// The longest path any system accepts, in UTF-16 units (Windows' extended paths): a custom path
// said to be longer is a damaged file, refused before it is read.
inline constexpr std::uint64_t kMostPathUnits = 32767;

// Reads the fields into `record`. False, with nothing more read and `record` untouched, for a
// file of another version. Raises the archive's and the file's failures.
bool LoadSettingsRecord(CArchive& archive, SettingsRecord& record);
void StoreSettingsRecord(CArchive& archive, const SettingsRecord& record);

}  // namespace tarvex::app

// The setup types: which firmware file goes to which device.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "app/resource.h"

// Index of the checked radio button of the setup-type group; -1 when none is checked.
using SetupType = int;

struct SetupTypeRow {
    const wchar_t* fileName;  // bare name in the working directory; empty for the custom types
    int radioId;
};

// 0-2 built-in console files, 3 the built-in field-update file, 4 a custom console file,
// 5 a custom field-update file.
inline constexpr std::array<SetupTypeRow, 6> kSetupTypes = {{
    {L"Quorlex2000.hex", IDC_RADIO_POOLSIDE},
    {L"Arena2000.hex", IDC_RADIO_ARENA},
    {L"OvalTrack.hex", IDC_RADIO_OVAL_TRACK},
    {L"ED-40517_Veziv16.fud", IDC_RADIO_HUEVANE},
    {L"", IDC_RADIO_OTHER_QX2000},
    {L"", IDC_RADIO_OTHER_TY5500},
}};

inline constexpr wchar_t kSettingsFileName[] = L"Tarvex2.cfg";

namespace tarvex::app {

inline constexpr SetupType kFieldUpdateType = 3;  // the built-in sign file; below it, the console's
inline constexpr SetupType kCustomConsoleType = 4;
inline constexpr SetupType kCustomSignType = 5;

// True for a type that exists in the table.
bool IsKnownSetupType(SetupType type);

// True for the types that reprogram the console: the built-in console files and the custom one.
// The comparison is signed, so that no type checked (-1) goes to the console's job too, which
// then finds no file.
bool IsConsoleSetupType(SetupType type);

// The file a job sends for `type`: the row's bare name for the built-in types, `customFile`
// for both custom types; no file for a type outside the table.
std::optional<std::wstring> FirmwareFileFor(SetupType type, const std::wstring& customFile);

}  // namespace tarvex::app

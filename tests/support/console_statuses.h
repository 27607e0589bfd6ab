// The status lines of a console update that goes well, in the order the window shows them.
#pragma once

#include <string>
#include <vector>

inline const std::vector<std::wstring> kConsoleUpdateStatuses = {
    L"Verifying Communications Port...",
    L"Waiting for user to cycle power to Quorlex 2000 console...To cancel the update, exit and "
    L"restart the Tarvex2 software.",
    L"Configuring Quorlex 2000 Console for reprogramming...To cancel the update, exit and restart "
    L"the Tarvex2 software.",
    L"Erasing Quorlex 2000 Console Flash Memory...",
    L"Reprogramming the Quorlex 2000 console...",
    L"Reprogramming of the Quorlex 2000 console complete.",
};

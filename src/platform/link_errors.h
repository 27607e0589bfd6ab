// A serial link's failures in words, for the job log and the people who read it.
#pragma once

#include <cstdint>
#include <string>

namespace tarvex::platform {

// Whether `error` (a link's LastError) says its waits and writes were cancelled: the window
// cancels a job's link only as it closes.
bool IsCancellation(std::uint32_t error);

// What `error` means for the port `port`, in words; a port that may not be opened names the
// group that owns it ("permission denied: the user is not in the group that owns the port,
// dialout").
std::string DescribeLinkError(const std::wstring& port, std::uint32_t error);

}  // namespace tarvex::platform

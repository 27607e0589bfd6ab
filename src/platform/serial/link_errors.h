// A serial link's failures in words, for the job log and the people who read it.
#pragma once

#include <cstdint>
#include <string>

namespace tarvex::platform {

// The same error means one thing when a port is opened and another once it carries a job:
// "access denied" is another program holding the port at the open, and an adapter pulled out
// afterwards.
enum class LinkStep { kOpening, kTransferring };

// What `error` (a link's LastError) means for the port `port` at `step`, in words; a port that
// may not be opened names the group that owns it ("permission denied: the user is not in the
// group that owns the port, dialout"). A link's cancellation is told by the link (Cancelled),
// never by an error number.
std::string DescribeLinkError(const std::wstring& port, std::uint32_t error, LinkStep step);

}  // namespace tarvex::platform

// The frame every device job runs in: the firmware file, the serial link's set-up, the wait for
// the device's markers, and the job's end.
#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "platform/exclusive_file.h"
#include "platform/serial_link.h"
#include "update/job_host.h"
#include "update/link_profile.h"

namespace tarvex::update {

struct JobContext {
    JobHost& host;
    SerialLink& link;
    tarvex::platform::ExclusiveFile& file;
};

// The job's conversation with its device, run once the link is set up.
using Conversation = std::function<void(JobContext& job)>;

// Runs a job: false when the link could not be set up (the worker's loop then ends), true
// otherwise. A firmware file that cannot be opened ends the job quietly.
bool RunJobFrame(JobHost& host, const LinkProfile& profile, const Conversation& conversation);

// Waits for the device's markers, given in priority order, and calls `onMarker` with the index
// of each one taken; it returns false to end the conversation. Returns when the conversation
// ends or the port fails.
void ReceiveMarkers(SerialLink& link, std::span<const std::wstring_view> markers,
                    const std::function<bool(std::size_t marker)>& onMarker);

}  // namespace tarvex::update

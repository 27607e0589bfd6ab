// The frame every device job runs in: the firmware file, the serial link's set-up, the wait for
// the device's markers, and the job's end.
#pragma once

#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/serial/serial_link.h"
#include "update/job_host.h"
#include "update/link_profile.h"

namespace tarvex::update {

struct JobContext {
    JobHost& host;
    SerialLink& link;
    // The firmware file's bytes, read whole when the job took the file: every transfer sends
    // exactly these, as the job log records them.
    const std::vector<std::uint8_t>& image;
};

// Writes the whole image to the link, in pieces of at most `piece` bytes, calling `afterPiece`
// with the count sent so far after each; false at the first write that fails or moves nothing.
bool SendImage(JobContext& job, std::size_t piece,
               const std::function<void(std::size_t sent)>& afterPiece);

// The job's conversation with its device, run once the link is set up.
using Conversation = std::function<void(JobContext& job)>;

// Runs a job: false when the link could not be set up (the worker's loop then ends), true
// otherwise. A firmware file that cannot be taken (missing, held, too large, empty) ends the job
// quietly, before the port is opened.
bool RunJobFrame(JobHost& host, const LinkProfile& profile, const Conversation& conversation);

// Waits for the device's markers, given in priority order, and calls `onMarker` with the index
// of each one taken; it returns false to end the conversation. Returns when the conversation
// ends or the port fails.
void ReceiveMarkers(SerialLink& link, std::span<const std::wstring_view> markers,
                    const std::function<bool(std::size_t marker)>& onMarker);

}  // namespace tarvex::update

#include "update/job_frame.h"

#include <algorithm>
#include <array>

#include "platform/files/exclusive_file.h"
#include "update/reply_text.h"

namespace tarvex::update {

namespace {

constexpr std::size_t kReceiveChunk = 1000;

std::wstring WithPort(std::wstring_view pattern, const std::wstring& port) {
    std::wstring text(pattern);
    if (auto at = text.find(L"%s"); at != std::wstring::npos) text.replace(at, 2, port);
    return text;
}

// The link's set-up, step by step; the text of the first step that fails.
std::optional<std::wstring_view> SetUpLink(SerialLink& link, const std::wstring& port,
                                           const LinkProfile& profile, bool& opened) {
    constexpr std::wstring_view kOpenFailed =
        L"Failed to Open Communications Port. Verify that %s is working properly.";
    constexpr std::wstring_view kGetStateFailed =
        L"Failed to Get State for Communications Port. Verify that %s is working properly.";
    constexpr std::wstring_view kSetStateFailed =
        L"Failed to Set State for Communications Port. Verify that %s is working properly.";
    constexpr std::wstring_view kTimeoutsFailed =
        L"An error occurred setting up the Communications Port. Verify that %s is working "
        L"properly.";
    opened = link.Open(port);
    if (!opened) return kOpenFailed;
    if (!link.ReadSettings()) return kGetStateFailed;
    if (!link.ApplySettings(profile)) return kSetStateFailed;
    if (!link.SetEventMask(EV_RXCHAR)) return kSetStateFailed;
    if (!link.ReadTimeouts()) return kTimeoutsFailed;
    if (!link.ApplyTimeouts()) return kTimeoutsFailed;
    return std::nullopt;
}

// Takes the firmware file for this job alone and reads it whole, telling the host what it took
// or why it could not.
bool TakeFirmwareFile(JobHost& host, const std::wstring& path, platform::ExclusiveFile& file,
                      std::vector<std::uint8_t>& image) {
    std::string why;
    if (!file.Open(path)) {
        why = file.Refusal();
    } else if (!file.ReadAll(image)) {
        why = std::to_string(file.Length()) + " bytes, more than the memory this program can have";
    } else if (image.size() != static_cast<std::size_t>(file.Length())) {
        why = "it changed while it was read";
    } else if (image.empty()) {
        // A console answered "!3" erases its flash: an empty file must end the job before that.
        why = "empty, nothing to send";
    }
    if (!why.empty()) {
        image = {};
        host.FirmwareFileRefused(path, why);
        return false;
    }
    host.FirmwareFileTaken(path, image);
    return true;
}

}  // namespace

bool SendImage(JobContext& job, std::size_t piece,
               const std::function<void(std::size_t sent)>& afterPiece) {
    job.host.FileTransferBegins(job.image.size());
    for (std::size_t sent = 0; sent < job.image.size();) {
        std::size_t written = 0;
        const std::size_t count = std::min(job.image.size() - sent, piece);
        if (!job.link.Write(job.image.data() + sent, count, written) || written == 0) return false;
        sent += written;
        if (afterPiece) afterPiece(sent);
    }
    return true;
}

bool RunJobFrame(JobHost& host, const LinkProfile& profile, const Conversation& conversation) {
    host.SetStatus(L"Verifying Communications Port...");
    const std::wstring port = host.SelectedPortName();
    const std::optional<std::wstring> path = host.FirmwarePath();

    tarvex::platform::ExclusiveFile file;
    std::vector<std::uint8_t> image;
    std::unique_ptr<SerialLink> link;
    bool opened = false;
    if (path && TakeFirmwareFile(host, *path, file, image)) {
        link = host.MakeLink();
        const auto failure = SetUpLink(*link, port, profile, opened);
        if (failure) {
            // A failed set-up resets the event and lets go of the worker first, closes the port
            // and the file, and gives the controls back last: this loop then ends (false), and
            // an Update pressed as the controls come back starts a new thread.
            host.SetStatus(WithPort(*failure, port));
            host.ResetJobEvent();
            host.StopWorker();
            if (opened) link->Close();
            file.Close();
            host.EnableControlsAfterJob();
            return false;
        }
        JobContext job{host, *link, image};
        conversation(job);
    }
    // The file goes before the controls come back, so that an Update pressed at once finds it
    // free; and the event is reset before, so that the reset cannot wipe out the signal of such
    // an Update (this loop then serves it once the job has returned).
    if (opened) link->Close();
    file.Close();
    host.ResetJobEvent();
    host.EnableControlsAfterJob();
    host.StopWorker();
    return true;
}

void ReceiveMarkers(SerialLink& link, std::span<const std::wstring_view> markers,
                    const std::function<bool(std::size_t marker)>& onMarker) {
    ReplyText reply;
    std::array<std::uint8_t, kReceiveChunk + 1> chunk{};
    for (;;) {
        std::uint32_t events = 0;
        if (!link.WaitForEvent(events)) return;
        if ((events & EV_RXCHAR) == 0) continue;
        const std::size_t count = link.ReadAvailable(chunk.data(), kReceiveChunk);
        chunk[count] = 0;
        reply.Append(chunk.data(), count);
        if (const auto marker = reply.TakeMarker(markers); marker && !onMarker(*marker)) return;
    }
}

}  // namespace tarvex::update

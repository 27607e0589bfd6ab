#include "update/job_frame.h"

#include <array>

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

}  // namespace

bool RunJobFrame(JobHost& host, const LinkProfile& profile, const Conversation& conversation) {
    host.SetStatus(L"Verifying Communications Port...");
    const std::wstring port = host.SelectedPortName();
    const std::optional<std::wstring> path = host.FirmwarePath();

    tarvex::platform::ExclusiveFile file;
    std::unique_ptr<SerialLink> link;
    bool opened = false;
    if (path && file.Open(*path)) {
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
        JobContext job{host, *link, file};
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

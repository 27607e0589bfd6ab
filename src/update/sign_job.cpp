#include "update/sign_job.h"

#include <array>

#include "update/job_frame.h"

namespace tarvex::update {

namespace {

constexpr std::array<std::wstring_view, 2> kMarkers = {L"!0", L"!10"};
enum Marker : std::size_t { kSend, kStop };
constexpr std::size_t kBlockSize = 1024;
constexpr std::uint8_t kEndByte = 0x7D;

// Sends the whole image from its start for every request, in blocks, then the end byte.
void Transmit(JobContext& job) {
    job.host.SetStatus(L"Sending field update...");
    job.host.BeginSignProgress(static_cast<std::int32_t>(job.image.size()));

    bool ok = SendImage(job, kBlockSize, [&job](std::size_t sent) {
        job.host.SetProgress(static_cast<std::int32_t>(sent));
    });
    if (!ok) job.host.ShowMessage(L"Error: " + std::to_wstring(job.link.LastError()));
    std::size_t written = 0;
    job.link.Write(&kEndByte, 1, written);  // also after a failed block
    // The blocks may still be in the port's buffer: the sign has them only once they are sent.
    ok = ok && job.link.Drain();

    if (ok) {
        job.host.SetStatus(L"Field update complete.  Waiting for retry or stop...");
        job.host.FillProgress();
    } else {
        job.host.SetStatus(L"An error occurred while sending the field update.  Please try again.");
    }
}

}  // namespace

bool RunFieldUpdate(JobHost& host) {
    return RunJobFrame(host, kSignProfile, [](JobContext& job) {
        job.host.SetStatus(L"Waiting for the update process to start on the Tessary.");
        ReceiveMarkers(job.link, kMarkers, [&job](std::size_t marker) {
            if (marker == kStop) {
                job.host.SetStatus(L"Received stop signal.");
                return false;
            }
            Transmit(job);
            return true;
        });
    });
}

}  // namespace tarvex::update

#include "update/console_job.h"

#include <array>

#include "update/job_frame.h"

namespace tarvex::update {

namespace {

constexpr std::array<std::wstring_view, 3> kMarkers = {L"!0", L"!3", L"!6"};
enum Marker : std::size_t { kConfigure, kErase, kProgram };

void Reply(SerialLink& link, const char (&bytes)[3]) {
    std::size_t written = 0;
    link.Write(reinterpret_cast<const std::uint8_t*>(bytes), 2, written);  // failures are ignored
}

// Sends the image in one piece; the window's timer estimates the progress meanwhile.
void Transfer(JobContext& job) {
    job.host.SetStatus(L"Reprogramming the Quorlex 2000 console...");
    job.host.SetStepProgress(true);
    job.host.BeginConsoleProgress(static_cast<std::int32_t>(job.image.size()));

    bool ok = SendImage(job, job.image.size(), nullptr);
    // The last write may return with the image still in the port's buffer: the console has it
    // only once the port has sent it, and a console that hangs up meanwhile did not get it.
    ok = ok && job.link.Drain();
    if (ok) {
        job.host.SetStatus(L"Reprogramming of the Quorlex 2000 console complete.");
        job.host.FillProgress();
    } else {
        job.host.SetStatus(
            L"An error occurred while programming the Quorlex 2000 console.  Please try again.");
    }
    job.host.SetStepProgress(false);
}

}  // namespace

bool RunConsoleReprogramming(JobHost& host) {
    return RunJobFrame(host, kConsoleProfile, [](JobContext& job) {
        job.host.SetStatus(
            L"Waiting for user to cycle power to Quorlex 2000 console...To cancel the update, "
            L"exit and restart the Tarvex2 software.");
        ReceiveMarkers(job.link, kMarkers, [&job](std::size_t marker) {
            switch (marker) {
                case kConfigure:
                    job.host.SetStatus(
                        L"Configuring Quorlex 2000 Console for reprogramming...To cancel the "
                        L"update, exit and restart the Tarvex2 software.");
                    Reply(job.link, "#0");
                    return true;
                case kErase:
                    job.host.SetStatus(L"Erasing Quorlex 2000 Console Flash Memory...");
                    Reply(job.link, "#1");
                    return true;
                default:
                    Transfer(job);
                    return false;
            }
        });
    });
}

}  // namespace tarvex::update

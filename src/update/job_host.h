// What a device job needs of the main window: its choices, its status line and progress bar,
// a message box, and the worker's end-of-job steps. Every call may block on the window thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/serial/serial_link.h"

namespace tarvex::update {

class JobHost {
  public:
    virtual ~JobHost() = default;

    // Both are read once, as the job starts. The firmware file follows the choice Update copied
    // from the controls just before it woke the job; the port is the Communications menu's
    // checked item at this moment, read here rather than at Update because Update grays the port
    // items before it wakes the job, so no other port can be checked in between.
    virtual std::wstring SelectedPortName() = 0;
    // The firmware file of the chosen setup type; none when no type is chosen.
    virtual std::optional<std::wstring> FirmwarePath() = 0;
    virtual std::unique_ptr<SerialLink> MakeLink() = 0;

    virtual void SetStatus(const std::wstring& text) = 0;
    // While on, the window's timer steps the bar (the console transfer's estimate).
    virtual void SetStepProgress(bool on) = 0;
    virtual void BeginConsoleProgress(std::int32_t fileLength) = 0;
    virtual void BeginSignProgress(std::int32_t fileLength) = 0;
    virtual void SetProgress(std::int32_t position) = 0;
    // Sets the bar to the top of its range.
    virtual void FillProgress() = 0;
    // A modal box owned by the main window, with the program's name as caption and OK.
    virtual void ShowMessage(const std::wstring& text) = 0;

    // What the job took of its firmware file, for those who watch the job (its log); the window
    // has nothing to show of it. `image` is the file's bytes as read when the job opened it: the
    // bytes the job sends, whatever happens to the file afterwards.
    virtual void FirmwareFileTaken(const std::wstring& /*path*/,
                                   const std::vector<std::uint8_t>& /*image*/) {}
    // The file could not be taken, for the reason `why` (in words); the job ends at once.
    virtual void FirmwareFileRefused(const std::wstring& /*path*/, const std::string& /*why*/) {}
    // The next `length` bytes the job writes to the link are the file's.
    virtual void FileTransferBegins(std::size_t /*length*/) {}

    virtual void EnableControlsAfterJob() = 0;
    virtual void ResetJobEvent() = 0;
    // Lets go of the worker thread the job runs on (after a 1000 ms wait that runs out).
    virtual void StopWorker() = 0;
};

}  // namespace tarvex::update

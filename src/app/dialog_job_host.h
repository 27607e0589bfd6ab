// The main window as a device job sees it.
#pragma once

#include "platform/win32.h"
#include "update/job_host.h"

class LoaderDialog;

namespace tarvex::app {

class DialogJobHost : public tarvex::update::JobHost {
  public:
    // `jobEvent` is the event that started the job; the job resets it at its end.
    DialogJobHost(LoaderDialog& dialog, HANDLE jobEvent) : dialog_(dialog), jobEvent_(jobEvent) {}

    std::wstring SelectedPortName() override;
    std::optional<std::wstring> FirmwarePath() override;
    std::unique_ptr<SerialLink> MakeLink() override;
    void SetStatus(const std::wstring& text) override;
    void SetStepProgress(bool on) override;
    void BeginConsoleProgress(std::int32_t fileLength) override;
    void BeginSignProgress(std::int32_t fileLength) override;
    void SetProgress(std::int32_t position) override;
    void FillProgress() override;
    void ShowMessage(const std::wstring& text) override;
    void EnableControlsAfterJob() override;
    void ResetJobEvent() override;
    void StopWorker() override;

  private:
    LoaderDialog& dialog_;
    HANDLE jobEvent_;
};

}  // namespace tarvex::app

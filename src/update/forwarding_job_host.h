// A JobHost that passes every call on to another one: the base of hosts that watch a job (the
// demo's report, the tests' records) or change one of its answers.
#pragma once

#include "update/job_host.h"

namespace tarvex::update {

class ForwardingJobHost : public JobHost {
  public:
    explicit ForwardingJobHost(std::unique_ptr<JobHost> inner) : inner_(std::move(inner)) {}

    std::wstring SelectedPortName() override { return inner_->SelectedPortName(); }
    std::optional<std::wstring> FirmwarePath() override { return inner_->FirmwarePath(); }
    std::unique_ptr<SerialLink> MakeLink() override { return inner_->MakeLink(); }
    void SetStatus(const std::wstring& text) override { inner_->SetStatus(text); }
    void SetStepProgress(bool on) override { inner_->SetStepProgress(on); }
    void BeginConsoleProgress(std::int32_t length) override {
        inner_->BeginConsoleProgress(length);
    }
    void BeginSignProgress(std::int32_t length) override { inner_->BeginSignProgress(length); }
    void SetProgress(std::int32_t position) override { inner_->SetProgress(position); }
    void FillProgress() override { inner_->FillProgress(); }
    void ShowMessage(const std::wstring& text) override { inner_->ShowMessage(text); }
    void FirmwareFileTaken(const std::wstring& path,
                           const std::vector<std::uint8_t>& image) override {
        inner_->FirmwareFileTaken(path, image);
    }
    void FirmwareFileRefused(const std::wstring& path, const std::string& why) override {
        inner_->FirmwareFileRefused(path, why);
    }
    void FileTransferBegins(std::size_t length) override { inner_->FileTransferBegins(length); }
    void EnableControlsAfterJob() override { inner_->EnableControlsAfterJob(); }
    void ResetJobEvent() override { inner_->ResetJobEvent(); }
    void StopWorker() override { inner_->StopWorker(); }

  private:
    std::unique_ptr<JobHost> inner_;
};

}  // namespace tarvex::update

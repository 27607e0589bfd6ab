#include "app/dialog_job_host.h"

#include "app/loader_dialog.h"
#include "platform/serial/serial_port.h"
#include "platform/win32.h"

namespace tarvex::app {

std::wstring DialogJobHost::SelectedPortName() { return dialog_.GetSelectedPortName(); }

std::optional<std::wstring> DialogJobHost::FirmwarePath() { return dialog_.JobFirmwarePath(); }

std::unique_ptr<SerialLink> DialogJobHost::MakeLink() {
    return tarvex::platform::MakeSerialPort(dialog_.cancellation_);
}

void DialogJobHost::SetStatus(const std::wstring& text) { dialog_.m_status.SetWindowText(text); }

void DialogJobHost::SetStepProgress(bool on) { dialog_.m_bStepProgress = on ? 1 : 0; }

void DialogJobHost::BeginConsoleProgress(std::int32_t fileLength) {
    dialog_.BeginConsoleProgress(fileLength);
}

void DialogJobHost::BeginSignProgress(std::int32_t fileLength) {
    dialog_.BeginSignProgress(fileLength);
}

void DialogJobHost::SetProgress(std::int32_t position) { dialog_.m_progress.SetPos(position); }

void DialogJobHost::FillProgress() {
    int lower = 0;
    int upper = 0;
    dialog_.m_progress.GetRange(lower, upper);
    dialog_.m_progress.SetPos(upper);
}

void DialogJobHost::ShowMessage(const std::wstring& text) { dialog_.MessageBox(text.c_str()); }

void DialogJobHost::EnableControlsAfterJob() { dialog_.EnableControlsAfterJob(); }

void DialogJobHost::ResetJobEvent() { ResetEvent(jobEvent_); }

void DialogJobHost::StopWorker() { dialog_.StopThread(nullptr, CJobThread::kJobEndWaitMs); }

}  // namespace tarvex::app

// File > Hex Files > Download Latest Hex Files...: runs on the window thread, synchronously, as
// long as the FTP client's time-outs and each file's deadline allow; meanwhile the window shows
// the wait cursor and keeps painting, and takes no input but its close, which ends the download.
#include "app/loader_dialog.h"
#include "download/latest_hex_files.h"
#include "platform/ui/busy_window_thread.h"

using tarvex::download::DownloadHost;
using tarvex::download::DownloadServer;
using tarvex::download::FetchLatestHexFiles;
using tarvex::download::MakerFtpServer;

namespace {

// The window's status line, progress bar and boxes, given by the window itself.
class DialogDownloadHost final : public DownloadHost {
  public:
    DialogDownloadHost(LoaderDialog& dialog, CStatic& status, CProgressCtrl& progress,
                       tarvex::platform::BusyWindowThread& busy)
        : dialog_(dialog), status_(status), progress_(progress), busy_(busy) {}
    void SetStatus(const std::wstring& text) override { status_.SetWindowText(text); }
    void SetProgressRange(int lower, int upper) override { progress_.SetRange32(lower, upper); }
    void SetProgress(int position) override { progress_.SetPos(position); }
    void ShowError(const std::wstring& text) override {
        dialog_.MessageBox(text.c_str(), nullptr, MB_OK | MB_ICONHAND);
    }
    void RefreshFirmwareChoices() override { dialog_.RefreshFirmwareChoices(); }
    // A close of the window ends the download at once; the window then closes.
    bool WhileWaiting() override {
        busy_.Paint();
        return !busy_.CloseHeld();
    }

  private:
    LoaderDialog& dialog_;
    CStatic& status_;
    CProgressCtrl& progress_;
    tarvex::platform::BusyWindowThread& busy_;
};

}  // namespace

void LoaderDialog::UseDownloadServer(const DownloadServer& server) {
    downloadServer_ = std::make_unique<DownloadServer>(server);
}

void LoaderDialog::DownloadLatestHexFiles() {
    std::array<std::wstring, 3> names;
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = kSetupTypes[i].fileName;
    tarvex::platform::BusyWindowThread busy;
    DialogDownloadHost host(*this, m_status, m_progress, busy);
    FetchLatestHexFiles(host, downloadServer_ ? *downloadServer_ : MakerFtpServer(), names);
}

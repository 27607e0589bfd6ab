// File > Hex Files > Download Latest Hex Files...: runs on the window thread and blocks it, as
// the time-outs of the FTP client bound.
#include "app/loader_dialog.h"
#include "download/latest_hex_files.h"

using tarvex::download::DownloadHost;
using tarvex::download::DownloadServer;
using tarvex::download::FetchLatestHexFiles;
using tarvex::download::kMakerFtpServer;

namespace {

// The window's status line, progress bar and boxes, given by the window itself.
class DialogDownloadHost final : public DownloadHost {
  public:
    DialogDownloadHost(LoaderDialog& dialog, CStatic& status, CProgressCtrl& progress)
        : dialog_(dialog), status_(status), progress_(progress) {}
    void SetStatus(const std::wstring& text) override { status_.SetWindowText(text); }
    void SetProgressRange(int lower, int upper) override { progress_.SetRange32(lower, upper); }
    void SetProgress(int position) override { progress_.SetPos(position); }
    void ShowError(const std::wstring& text) override {
        dialog_.MessageBox(text.c_str(), nullptr, MB_OK | MB_ICONHAND);
    }
    void RefreshFirmwareChoices() override { dialog_.RefreshFirmwareChoices(); }

  private:
    LoaderDialog& dialog_;
    CStatic& status_;
    CProgressCtrl& progress_;
};

}  // namespace

void LoaderDialog::UseDownloadServer(const DownloadServer& server) {
    downloadServer_ = std::make_unique<DownloadServer>(server);
}

void LoaderDialog::DownloadLatestHexFiles() {
    std::array<std::wstring, 3> names;
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = kSetupTypes[i].fileName;
    DialogDownloadHost host(*this, m_status, m_progress);
    FetchLatestHexFiles(host, downloadServer_ ? *downloadServer_ : kMakerFtpServer, names);
}

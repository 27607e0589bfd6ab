// File > Hex Files > Download Latest Hex Files...: runs on the window thread and blocks it, as
// the time-outs of the FTP client bound.
#include "app/loader_dialog.h"
#include "download/latest_hex_files.h"

namespace {

class DialogDownloadHost final : public DownloadHost {
  public:
    explicit DialogDownloadHost(LoaderDialog& dialog) : dialog_(dialog) {}
    void SetStatus(const std::wstring& text) override { dialog_.m_status.SetWindowText(text); }
    void SetProgressRange(int lower, int upper) override {
        dialog_.m_progress.SetRange32(lower, upper);
    }
    void SetProgress(int position) override { dialog_.m_progress.SetPos(position); }
    void ShowError(const std::wstring& text) override {
        dialog_.MessageBox(text.c_str(), nullptr, MB_OK | MB_ICONHAND);
    }
    void RefreshFirmwareChoices() override { dialog_.RefreshFirmwareChoices(); }

  private:
    LoaderDialog& dialog_;
};

}  // namespace

void LoaderDialog::UseDownloadServer(const DownloadServer& server) {
    m_downloadServer = std::make_unique<DownloadServer>(server);
}

void LoaderDialog::DownloadLatestHexFiles() {
    std::array<std::wstring, 3> names;
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = kSetupTypes[i].fileName;
    DialogDownloadHost host(*this);
    ::DownloadLatestHexFiles(host, m_downloadServer ? *m_downloadServer : kMakerFtpServer, names);
}

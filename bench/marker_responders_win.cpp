// The Windows side of wine_marker_bench, which starts it under Wine on a COM port that the
// prefix maps to a pseudo-terminal:
//   marker_responders window COMn FILE   the real main window, the custom console file FILE
//                                        chosen and Update pressed as a user does; ends with
//                                        the job (status 0 when it ended without a message box)
//   marker_responders echo COMn          the bare responder: the program's serial port
//                                        answering each marker; ends at the image marker "!6"
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/loader_dialog.h"
#include "app/resource.h"
#include "marker_echo.h"
#include "platform/text.h"
#include "platform/ui/win_app.h"
#include "platform/ui/window_system.h"
#include "support/recording_message_box.h"
#include "support/window_driver.h"
#include "update/forwarding_job_host.h"

namespace {

// The job's host, which closes the window once the job has ended.
class ClosingHost : public tarvex::update::ForwardingJobHost {
  public:
    ClosingHost(std::unique_ptr<tarvex::update::JobHost> inner, CDialog& window)
        : ForwardingJobHost(std::move(inner)), window_(window) {}
    void EnableControlsAfterJob() override {
        ForwardingJobHost::EnableControlsAfterJob();
        tarvex::platform::PostToWindowThread([this] { window_.PostMessage(WM_CLOSE); });
    }

  private:
    CDialog& window_;
};

class BenchDialog : public LoaderDialog {
  public:
    using LoaderDialog::m_strCustomFile;

    explicit BenchDialog(const std::wstring& port)
        : LoaderDialog(nullptr, [port] {
              return tarvex::platform::SerialPortList(std::vector<std::wstring>{port});
          }) {}
    ~BenchDialog() override { EndJobs(); }
    std::unique_ptr<tarvex::update::JobHost> MakeJobHost(HANDLE jobEvent) override {
        ++jobs;
        return std::make_unique<ClosingHost>(LoaderDialog::MakeJobHost(jobEvent), *this);
    }

    std::atomic<int> jobs{0};
};

// The window is left to its own modal loop while the job waits for markers, as in the program.
int RunWindow(int argc, char** argv, const std::wstring& port, const std::wstring& file) {
    tarvex::platform::WindowSystem windowSystem(argc, argv);
    CWinApp application(L"Tarvex2");
    RecordingMessageBox boxes;
    BenchDialog dialog(port);
    tarvex::platform::PostToWindowThread([&] {
        drive::Click(dialog, IDC_RADIO_OTHER_QX2000);
        dialog.UpdateData(TRUE);
        dialog.m_strCustomFile = file;
        dialog.UpdateData(FALSE);
        drive::Click(dialog, IDC_UPDATE);
    });
    dialog.DoModal();
    for (const auto& box : boxes.Boxes()) {
        std::fprintf(stderr, "marker_responders: %s\n", tarvex::platform::ToUtf8(box.text).c_str());
    }
    return dialog.jobs == 1 && boxes.Boxes().empty() ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr, "Usage: marker_responders window COMn FILE | echo COMn\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::wstring port = tarvex::platform::FromSystemName(argv[2]);
    if (std::strcmp(argv[1], "window") == 0 && argc == 4) {
        return RunWindow(argc, argv, port, tarvex::platform::FromSystemName(argv[3]));
    }
    if (std::strcmp(argv[1], "echo") == 0 && argc == 3) {
        return tarvex::bench::AnswerMarkers(port,
                                            std::make_shared<tarvex::platform::Cancellation>())
                   ? 0
                   : 1;
    }
    return Usage();
}

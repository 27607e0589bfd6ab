// The main window: setup types, custom file, status line, Update, progress bar and menus. It is
// also the worker thread object: the two device jobs are its members and run on that thread,
// reporting through the job-reporting interface below.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "app/setup_types.h"
#include "download/latest_hex_files.h"
#include "platform/serial/serial_port.h"
#include "platform/serial/serial_ports.h"
#include "platform/ui/dialog.h"
#include "update/job_host.h"
#include "worker/job_thread.h"

namespace tarvex::app {
class DialogJobHost;
}

class LoaderDialog : public CDialog, public CJobThread {
  public:
    using PortTableReader = std::function<tarvex::platform::SerialPortList()>;

    // `readPorts` gives the serial-port table the Communications menu is filled from.
    explicit LoaderDialog(CWnd* parent = nullptr,
                          PortTableReader readPorts = tarvex::platform::ReadSystemSerialPorts);
    ~LoaderDialog() override;

    BOOL OnInitDialog() override;
    BOOL OnCmdMsg(UINT id) override;

    // The jobs, called on the worker thread when their event is signalled.
    virtual bool ReprogramConsole();
    virtual bool SendFieldUpdate();
    // What a job reports to; `jobEvent` is the event that started it.
    virtual std::unique_ptr<tarvex::update::JobHost> MakeJobHost(HANDLE jobEvent);

    // Job-reporting interface; callable from the worker thread.
    void BeginConsoleProgress(std::int32_t fileLength);
    void BeginSignProgress(std::int32_t fileLength);
    void EnableControlsAfterJob();
    std::wstring GetSelectedPortName() const;
    std::optional<std::wstring> FirmwarePathFor(SetupType type) const;
    // The file of the choice Update last started a job with.
    std::optional<std::wstring> JobFirmwarePath() const;

    // The settings file "Tarvex2.cfg" in the working directory. Load: false when it cannot be
    // opened or read (a damaged file is reported in a box). Save: false when it cannot be
    // written; it is then left as it was.
    bool LoadSettings();
    bool SaveSettings();
    void Serialize(CArchive& archive) override;
    // Enables the built-in choices whose files are in the working directory, disables the
    // others (moving a checked one to its custom choice, unless `movesChoice` is false: then it
    // stays checked, and Update says its file is missing) and labels the field-update choice
    // with the file's drawing number and version.
    void RefreshFirmwareChoices(bool movesChoice = true);

    // Fetches the built-in console firmware files into the working directory, then refreshes
    // the choices (File > Hex Files > Download Latest Hex Files...).
    void DownloadLatestHexFiles();
    // The server the download uses instead of the maker's (tests and the demo).
    void UseDownloadServer(const tarvex::download::DownloadServer& server);

    // About > About Tarvex2... and the system menu's About item; About > Help using Tarvex2....
    void ShowAboutBox();
    void ShowHelp();

  protected:
    // Members, in the order of the class's data. Protected, not public: a window that stands in
    // for the jobs (the tests' and the demo's) uses them as the jobs and handlers here do. The
    // worker reaches them only through the job host.
    HICON m_hIcon = nullptr;
    int m_nPortIndex = 0;
    int m_nSetupType = 0;
    CEdit m_editCustomFile;
    std::wstring m_strCustomFile;
    CButton m_btnBrowse;
    CButton m_btnUpdate;
    HANDLE m_hConsoleEvent = nullptr;
    HANDLE m_hSignEvent = nullptr;
    UINT_PTR m_nTimerId = 0;
    std::atomic<int> m_bStepProgress{0};  // written by the console job, read by the timer
    CProgressCtrl m_progress;
    CStatic m_status;
    // Ends the waits and writes of a running job's serial link when the dialog goes.
    std::shared_ptr<tarvex::platform::Cancellation> cancellation_;

    // Cancels a running job's link and waits for the worker threads to end. The destructor does
    // this; a derived class whose overrides run on the worker calls it in its own destructor.
    void EndJobs();

    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCancel() override;
    void OnClose() override;
    void OnTimer(UINT_PTR id) override;
    // Minimised, the window shows its icon; dragged so, the icon goes with the pointer.
    bool OnPaint(CDC& dc) override;
    // A logoff or shutdown: the close sequence, then the job's end (its link cancelled, the
    // port let go of, its log's end line), all before the system may end the process.
    void OnEndSession(BOOL ending) override;
    HICON OnQueryDragIcon() override;
    void OnSysCommand(UINT id, LPARAM lParam) override;
    // Opening the Communications menu lists the ports of this moment (adapters come and go).
    void OnInitMenuPopup(CMenu& popup, UINT index, BOOL systemMenu) override;

  private:
    // The worker's one way into the window: each control call it makes is a synchronous call
    // into the window thread.
    friend class tarvex::app::DialogJobHost;

    void OnUpdate();
    void OnBuiltInSetupType();
    void OnCustomSetupType();
    void OnBrowse();
    void OnSelectPort(UINT id);
    // Refreshes the firmware choices when the working folder has changed and no job runs.
    void FollowFolderChanges();
    void WatchWorkingFolder();
    void FillPortMenu(int positionToCheck);
    HANDLE RegisterJobEvent(tarvex::worker::SignalHandler job);
    CMenu CommunicationsMenu() const;

    PortTableReader readPorts_;
    std::unique_ptr<tarvex::download::DownloadServer> downloadServer_;  // none: the maker's
    // The setup type and custom path as Update saw them, copied before it signals a job: the
    // window thread may change the members while the job reads its copy.
    struct JobChoice {
        SetupType setupType = 0;
        std::wstring customFile;
    } jobChoice_;
    bool closing_ = false;  // the close sequence pumps messages and must not start twice
    // The working folder, watched so that firmware files copied in (or taken away) while the
    // program runs are offered once the folder has been quiet for a moment; a change seen during
    // a job is acted on after it. A folder removed and made again is followed by its name.
    HANDLE folderWatch_ = INVALID_HANDLE_VALUE;
    bool folderChanged_ = false;
    std::chrono::steady_clock::time_point lastFolderChange_;
    std::wstring workingFolder_;
    // From Update's signal to EnableControlsAfterJob, which the job calls on the worker.
    std::atomic<bool> jobRunning_{false};
};

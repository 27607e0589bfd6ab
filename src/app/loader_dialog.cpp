#include "app/loader_dialog.h"

#include "about/about_dialog.h"
#include "about/help_dialog.h"
#include "app/dialog_job_host.h"
#include "app/minimised_icon.h"
#include "app/port_menu.h"
#include "app/resource.h"
#include "app/resources.h"
#include "platform/files/file.h"
#include "platform/system/user_folder.h"
#include "platform/ui/file_dialog.h"
#include "platform/win32.h"
#include "update/console_job.h"
#include "update/job_log.h"
#include "update/sign_job.h"

using tarvex::app::CheckedPortName;
using tarvex::app::CheckPortItem;
using tarvex::app::DialogJobHost;
using tarvex::app::EnablePortItems;
using tarvex::app::FillPortItems;
using tarvex::app::FirmwareFileFor;
using tarvex::app::IsConsoleSetupType;
using tarvex::app::IsKnownSetupType;
using tarvex::app::IsPortCommand;
using tarvex::app::kCommunicationsMenuPosition;
using tarvex::app::kCustomConsoleType;
using tarvex::app::kCustomSignType;
using tarvex::app::kFirstPortCommand;
using tarvex::app::kMainDialogTemplate;
using tarvex::app::LoadStringResource;
using tarvex::app::RebuildPortMenu;
using tarvex::app::ShowPortTips;
using tarvex::platform::SerialPortList;
using tarvex::update::JobHost;
using tarvex::update::JobLogHost;
using tarvex::update::RunConsoleReprogramming;
using tarvex::update::RunFieldUpdate;
using tarvex::worker::CallOnTarget;
using tarvex::worker::SignalHandler;

namespace {

constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressTimerPeriodMs = 500;
constexpr int kConsoleBaudRate = 115200;

constexpr wchar_t kReadyText[] = L"Configure Communications Settings and Setup Type.";
constexpr wchar_t kNoSetupTypeText[] = L"Choose a Setup Type, then press Update.";
constexpr wchar_t kNoJobEventText[] =
    L"The update could not be started: the system is out of resources.";

// The folder `path` lies in, when it is one that exists; empty otherwise.
std::wstring ExistingFolderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"/\\");
    if (separator == std::wstring::npos) return {};
    const std::wstring folder = separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
    CFileFind finder;
    if (!finder.FindFile(folder.c_str())) return {};
    finder.FindNextFile();
    return finder.IsDirectory() ? folder : std::wstring();
}

}  // namespace

LoaderDialog::LoaderDialog(CWnd* parent, PortTableReader readPorts)
    : CDialog(kMainDialogTemplate, parent),
      cancellation_(std::make_shared<tarvex::platform::Cancellation>()),
      readPorts_(std::move(readPorts)) {
    if (AfxGetApp() != nullptr) m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);

    for (UINT id : {ID_CONSOLE_UPDATE, static_cast<UINT>(IDC_UPDATE)}) {
        MapCommand(id, [this] { OnUpdate(); });
    }
    for (int id : {IDC_RADIO_POOLSIDE, IDC_RADIO_ARENA, IDC_RADIO_OVAL_TRACK, IDC_RADIO_HUEVANE}) {
        MapCommand(static_cast<UINT>(id), [this] { OnBuiltInSetupType(); });
    }
    for (int id : {IDC_RADIO_OTHER_QX2000, IDC_RADIO_OTHER_TY5500}) {
        MapCommand(static_cast<UINT>(id), [this] { OnCustomSetupType(); });
    }
    MapCommand(IDC_BROWSE, [this] { OnBrowse(); });
    MapCommand(ID_FILE_EXIT, [this] { PostMessage(WM_CLOSE); });
    MapCommand(ID_ABOUT_ABOUT, [this] { ShowAboutBox(); });
    MapCommand(ID_ABOUT_HELP, [this] { ShowHelp(); });
    MapCommand(ID_FILE_DOWNLOAD, [this] { DownloadLatestHexFiles(); });
}

LoaderDialog::~LoaderDialog() {
    EndJobs();
    if (folderWatch_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(folderWatch_);
}

void LoaderDialog::EndJobs() {
    // The jobs use this dialog's members: their threads must be gone before the members are.
    // A job waiting for its device would wait for ever, so its link is cancelled; the thread is
    // taken first, so that the cancelled job, stopping its own thread, has none to wait for.
    TakeThreadsForEnd();
    cancellation_->Cancel();
    WaitForThreadsToEnd();
}

void LoaderDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_RADIO_POOLSIDE, m_nSetupType);
    DDX_Control(pDX, IDC_CUSTOM_FILE, m_editCustomFile);
    DDX_Text(pDX, IDC_CUSTOM_FILE, m_strCustomFile);
    DDX_Control(pDX, IDC_BROWSE, m_btnBrowse);
    DDX_Control(pDX, IDC_UPDATE, m_btnUpdate);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_STATUS, m_status);
}

BOOL LoaderDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    closing_ = false;

    if (HasSystemMenu()) {
        const std::wstring aboutText = LoadStringResource(IDS_ABOUTBOX);
        if (!aboutText.empty()) {
            CMenu systemMenu = GetSystemMenu(FALSE);
            systemMenu.AppendMenu(MF_SEPARATOR);
            systemMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutText.c_str());
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    if (!LoadSettings()) {
        m_nSetupType = 0;
        m_strCustomFile.clear();
        m_nPortIndex = 0;
    }
    m_status.SetWindowText(kReadyText);
    FillPortMenu(m_nPortIndex);
    RefreshFirmwareChoices();
    m_bStepProgress = 0;
    m_hConsoleEvent = RegisterJobEvent(&CallOnTarget<&LoaderDialog::ReprogramConsole>);
    m_hSignEvent = RegisterJobEvent(&CallOnTarget<&LoaderDialog::SendFieldUpdate>);
    m_nTimerId = SetTimer(kProgressTimer, kProgressTimerPeriodMs, nullptr);
    workingFolder_ = tarvex::platform::WorkingFolderName();
    WatchWorkingFolder();
    folderChanged_ = false;
    if (m_nSetupType != kCustomConsoleType && m_nSetupType != kCustomSignType) {
        m_btnBrowse.EnableWindow(FALSE);
        m_editCustomFile.EnableWindow(FALSE);
    }
    UpdateData(FALSE);
    return TRUE;
}

HANDLE LoaderDialog::RegisterJobEvent(SignalHandler job) {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (event != nullptr) AddWaitHandle({job, this, event, true, WaitKind::Event});
    return event;
}

BOOL LoaderDialog::OnCmdMsg(UINT id) {
    if (IsPortCommand(id)) OnSelectPort(id);
    return CDialog::OnCmdMsg(id);
}

void LoaderDialog::OnUpdate() {
    m_btnUpdate.EnableWindow(FALSE);
    GetMenu().EnableMenuItem(ID_CONSOLE_UPDATE, MF_GRAYED | MF_BYCOMMAND);
    CMenu ports = CommunicationsMenu();
    EnablePortItems(ports, false);
    StartThread(INFINITE, 0, nullptr, 0);
    UpdateData(TRUE);

    // No radio button checked (a settings file can leave it so): there is no file to send.
    if (!IsKnownSetupType(m_nSetupType)) {
        m_status.SetWindowText(kNoSetupTypeText);
        EnableControlsAfterJob();
        return;
    }
    jobChoice_ = {m_nSetupType, m_strCustomFile};  // the event's signal hands it to the worker
    HANDLE jobEvent = IsConsoleSetupType(m_nSetupType) ? m_hConsoleEvent : m_hSignEvent;
    jobRunning_ = true;
    if (jobEvent == nullptr || !SetEvent(jobEvent)) {
        m_status.SetWindowText(kNoJobEventText);
        EnableControlsAfterJob();
    }
}

// While a job runs, Enter and Esc do nothing: ending the dialog would cut a transfer off and
// leave a half-programmed device. The close box and File > Exit are deliberate and close.
void LoaderDialog::OnOK() {
    if (jobRunning_ && !closing_) return;
    CDialog::OnOK();
}

void LoaderDialog::OnCancel() {
    if (jobRunning_ && !closing_) return;
    CDialog::OnCancel();
}

bool LoaderDialog::OnPaint(CDC& dc) {
    if (!IsIconic()) return false;
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    RECT client;
    GetClientRect(&client);
    const auto [x, y] =
        tarvex::app::MinimisedIconOrigin(client.right - client.left, client.bottom - client.top,
                                         GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    dc.DrawIcon(x, y, m_hIcon);
    return true;
}

HICON LoaderDialog::OnQueryDragIcon() { return m_hIcon; }

void LoaderDialog::OnEndSession(BOOL ending) {
    if (!ending) return;
    OnClose();
    EndJobs();
}

void LoaderDialog::OnTimer(UINT_PTR id) {
    if (id == kProgressTimer && m_bStepProgress != 0) {
        int lower = 0;
        int upper = 0;
        m_progress.GetRange(lower, upper);
        if (m_progress.GetPos() < upper) m_progress.StepIt();
    }
    if (id == kProgressTimer) FollowFolderChanges();
    CDialog::OnTimer(id);
}

void LoaderDialog::WatchWorkingFolder() {
    if (folderWatch_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(folderWatch_);
    folderWatch_ =
        FindFirstChangeNotificationW(L".", FALSE,
                                     FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                         FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
}

void LoaderDialog::FollowFolderChanges() {
    // An editor's save or a copy takes a file away for a moment: the choices follow the folder
    // once it has been quiet this long.
    constexpr auto kQuietFor = std::chrono::milliseconds(1000);
    const auto now = std::chrono::steady_clock::now();
    if (tarvex::platform::ReenterWorkingFolder(workingFolder_)) {
        WatchWorkingFolder();
        folderChanged_ = true;
        lastFolderChange_ = now;
    }
    if (folderWatch_ != INVALID_HANDLE_VALUE &&
        WaitForSingleObject(folderWatch_, 0) == WAIT_OBJECT_0) {
        folderChanged_ = true;
        lastFolderChange_ = now;
        FindNextChangeNotification(folderWatch_);
    }
    // A job holds its file: looking at the field-update file now would label it unopenable.
    if (!folderChanged_ || jobRunning_ || closing_ || now - lastFolderChange_ < kQuietFor) return;
    folderChanged_ = false;
    UpdateData(TRUE);  // the choice the window shows now is the one to keep
    RefreshFirmwareChoices(false);
    const bool custom = m_nSetupType == kCustomConsoleType || m_nSetupType == kCustomSignType;
    m_editCustomFile.EnableWindow(custom ? TRUE : FALSE);
    m_btnBrowse.EnableWindow(custom ? TRUE : FALSE);
}

void LoaderDialog::OnClose() {
    if (closing_) return;
    closing_ = true;
    KillTimer(m_nTimerId);
    SaveSettings();
    if (ThreadHandle() != nullptr) StopThread(nullptr, kJobEndWaitMs);
    CDialog::OnClose();
}

void LoaderDialog::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        ShowAboutBox();
    } else {
        CDialog::OnSysCommand(id, lParam);
    }
}

void LoaderDialog::OnBuiltInSetupType() {
    m_editCustomFile.EnableWindow(FALSE);
    m_btnBrowse.EnableWindow(FALSE);
}

void LoaderDialog::OnCustomSetupType() {
    m_editCustomFile.EnableWindow(TRUE);
    m_btnBrowse.EnableWindow(TRUE);
}

void LoaderDialog::OnBrowse() {
    UpdateData(TRUE);
    const bool console = m_nSetupType == kCustomConsoleType;
    // The working folder stays where the program started: the settings file, the built-in
    // firmware files and the downloads are found there by their bare names.
    CFileDialog dialog(TRUE, console ? L".hex" : L".fud", nullptr,
                       OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR,
                       console ? L"Hex File (*.hex)|*.hex|All Files (*.*)|*.*||"
                               : L"Field Update File (*.fud)|*.fud|All Files (*.*)|*.*||",
                       this);
    // The folder of the current custom file, where the technician found it last time.
    const std::wstring folder = ExistingFolderOf(m_strCustomFile);
    if (!folder.empty()) dialog.m_ofn.lpstrInitialDir = folder.c_str();
    if (dialog.DoModal() == IDOK) {
        m_strCustomFile = dialog.GetPathName();
        UpdateData(FALSE);
    }
}

CMenu LoaderDialog::CommunicationsMenu() const {
    return GetMenu().GetSubMenu(kCommunicationsMenuPosition);
}

void LoaderDialog::FillPortMenu(int positionToCheck) {
    CMenu ports = CommunicationsMenu();
    FillPortItems(ports, readPorts_ ? readPorts_() : std::nullopt, positionToCheck);
    ShowPortTips(ports, tarvex::platform::DescribeSystemSerialPorts());
}

void LoaderDialog::OnInitMenuPopup(CMenu& popup, UINT index, BOOL systemMenu) {
    CDialog::OnInitMenuPopup(popup, index, systemMenu);
    if (systemMenu || index != kCommunicationsMenuPosition || !readPorts_) return;
    const SerialPortList ports = readPorts_();
    if (!ports) return;  // an unreadable table keeps the items as they are
    const int checked = RebuildPortMenu(popup, *ports);
    ShowPortTips(popup, tarvex::platform::DescribeSystemSerialPorts());
    // The settings keep the checked item's position, as they always have; with none checked
    // the saved position stays until the technician picks a port.
    if (checked >= 0) m_nPortIndex = checked;
    if (jobRunning_) EnablePortItems(popup, false);
}

void LoaderDialog::OnSelectPort(UINT id) {
    m_nPortIndex = static_cast<int>(id - kFirstPortCommand);
    CMenu ports = CommunicationsMenu();
    CheckPortItem(ports, id);
}

std::wstring LoaderDialog::GetSelectedPortName() const {
    return CheckedPortName(CommunicationsMenu());
}

std::optional<std::wstring> LoaderDialog::FirmwarePathFor(SetupType type) const {
    return FirmwareFileFor(type, m_strCustomFile);
}

std::optional<std::wstring> LoaderDialog::JobFirmwarePath() const {
    return FirmwareFileFor(jobChoice_.setupType, jobChoice_.customFile);
}

void LoaderDialog::BeginConsoleProgress(std::int32_t fileLength) {
    // Three units for each second the transfer takes at the console's rate, as a 16-bit value.
    const long long seconds = 8LL * fileLength / kConsoleBaudRate;
    m_progress.SetPos(0);
    m_progress.SetRange(0, static_cast<short>(static_cast<std::uint16_t>(3 * seconds)));
    m_progress.SetStep(1);
}

void LoaderDialog::BeginSignProgress(std::int32_t fileLength) {
    m_progress.SetPos(0);
    m_progress.SetRange32(0, fileLength);
}

void LoaderDialog::EnableControlsAfterJob() {
    jobRunning_ = false;
    m_btnUpdate.EnableWindow(TRUE);
    GetMenu().EnableMenuItem(ID_CONSOLE_UPDATE, MF_ENABLED | MF_BYCOMMAND);
    CMenu ports = CommunicationsMenu();
    EnablePortItems(ports, true);
}

std::unique_ptr<JobHost> LoaderDialog::MakeJobHost(HANDLE jobEvent) {
    return std::make_unique<JobLogHost>(
        std::make_unique<DialogJobHost>(*this, jobEvent),
        jobEvent == m_hConsoleEvent ? "console reprogramming" : "field update");
}

bool LoaderDialog::ReprogramConsole() {
    return RunConsoleReprogramming(*MakeJobHost(m_hConsoleEvent));
}

bool LoaderDialog::SendFieldUpdate() { return RunFieldUpdate(*MakeJobHost(m_hSignEvent)); }

void LoaderDialog::ShowAboutBox() {
    const std::wstring version = LoadStringResource(IDS_VERSION);
    AboutDialog about(this);
    about.m_strProductLines = {L"", L"Tarvex2 by Morvane", L"Version " + version, L"", L""};
    about.m_strCaptionName = L"Tarvex2 by Morvane";
    about.m_strLicenseFile = L"OrvLicense.txt";
    about.DoModal();
}

void LoaderDialog::ShowHelp() {
    HelpDialog help(this);
    help.DoModal();
}

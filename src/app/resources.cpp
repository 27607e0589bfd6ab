#include "app/resources.h"

#include "app/resource.h"

namespace tarvex::app {

namespace {

constexpr platform::MenuItemTemplate kHexFilesMenu[] = {
    {L"&Download Latest Hex Files...", ID_FILE_DOWNLOAD},
};
constexpr platform::MenuItemTemplate kFileMenu[] = {
    {L"Hex Files", 0, kHexFilesMenu},
    {L"E&xit", ID_FILE_EXIT},
};
constexpr platform::MenuItemTemplate kConsoleMenu[] = {
    {L"&Update", ID_CONSOLE_UPDATE},
};
constexpr platform::MenuItemTemplate kCommunicationsMenu[] = {
    {L"COM1", ID_COMM_PLACEHOLDER},  // replaced by the serial ports at start-up
};
constexpr platform::MenuItemTemplate kAboutMenu[] = {
    {L"&Help using Tarvex2...", ID_ABOUT_HELP},
    {L"About Tarvex2...", ID_ABOUT_ABOUT},
};
constexpr platform::MenuItemTemplate kMainMenu[] = {
    {L"&File", 0, kFileMenu},
    {L"&Console", 0, kConsoleMenu},
    {L"Co&mmunications", 0, kCommunicationsMenu},
    {L"&About", 0, kAboutMenu},
};

constexpr DWORD kRadio = WS_TABSTOP;
constexpr platform::DialogControl kMainControls[] = {
    {IDC_RADIO_POOLSIDE,
     platform::ControlKind::AutoRadioButton,
     L"Poolside",
     WS_GROUP | kRadio,
     {16, 32, 90, 10}},
    {IDC_RADIO_ARENA, platform::ControlKind::AutoRadioButton, L"Arena", 0, {16, 46, 90, 10}},
    {IDC_RADIO_OVAL_TRACK,
     platform::ControlKind::AutoRadioButton,
     L"Oval Track",
     0,
     {16, 60, 90, 10}},
    {IDC_RADIO_HUEVANE, platform::ControlKind::AutoRadioButton, L"Huevane", 0, {198, 32, 166, 10}},
    {IDC_RADIO_OTHER_QX2000,
     platform::ControlKind::AutoRadioButton,
     L"Other QX2000",
     0,
     {9, 88, 62, 10}},
    {IDC_RADIO_OTHER_TY5500,
     platform::ControlKind::AutoRadioButton,
     L"Other TY5500",
     0,
     {9, 102, 62, 10}},
    {IDC_CUSTOM_FILE,
     platform::ControlKind::Edit,
     L"",
     WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP,
     {76, 93, 268, 13}},
    {IDC_BROWSE, platform::ControlKind::PushButton, L"...", WS_TABSTOP, {348, 92, 22, 15}},
    {IDC_UPDATE, platform::ControlKind::PushButton, L"&Update", WS_TABSTOP, {7, 166, 60, 18}},
    {IDC_STATIC, platform::ControlKind::Static, L"Choose Setup Type:", WS_GROUP, {7, 6, 120, 9}},
    {IDC_STATIC, platform::ControlKind::GroupBox, L"Quorlex 2000 Firmware", 0, {7, 19, 178, 58}},
    {IDC_STATIC,
     platform::ControlKind::GroupBox,
     L"Tessary 5500 Sign Update",
     0,
     {191, 19, 180, 58}},
    {IDC_STATIC, platform::ControlKind::GroupBox, L"Status", 0, {7, 116, 364, 38}},
    {IDC_STATUS, platform::ControlKind::Static, L"Static", 0, {15, 128, 348, 20}},
    {IDC_STATIC, platform::ControlKind::Static, L"Update Progress:", 0, {76, 160, 120, 9}},
    {IDC_PROGRESS,
     platform::ControlKind::ProgressBar,
     nullptr,
     WS_BORDER | PBS_SMOOTH,
     {76, 170, 295, 14}},
};

}  // namespace

const platform::DialogTemplate kMainDialogTemplate = {
    IDD_TARVEX2_DIALOG,
    L"Tarvex2",
    378,
    191,
    WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_MODALFRAME | DS_SHELLFONT,
    8,
    kMainMenu,
    kMainControls,
};

std::wstring LoadStringResource(unsigned id) {
    switch (id) {
        case IDS_ABOUTBOX:
            return L"&About Tarvex2...";
        case IDS_VERSION:
            return L"2.0.0";
        default:
            return {};
    }
}

}  // namespace tarvex::app

#include "about/templates.h"

#include "about/resource.h"
#include "platform/system/message_box.h"

namespace tarvex::about {

namespace {

constexpr DWORD kDialogStyle = WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kReadOnlyText = ES_MULTILINE | ES_READONLY;

constexpr platform::DialogControl kAboutControls[] = {
    {IDC_COMPANY, platform::ControlKind::Edit, L"", kReadOnlyText | ES_CENTER, {20, 61, 108, 40}},
    {IDC_FAX, platform::ControlKind::Static, L"", SS_CENTER, {20, 100, 108, 9}},
    {IDC_PHONE, platform::ControlKind::Static, L"", SS_CENTER, {20, 109, 108, 9}},
    {IDC_EMAIL_LINK, platform::ControlKind::Static, L"", SS_CENTER, {20, 120, 108, 9}},
    {IDC_WEB_LINK, platform::ControlKind::Static, L"", SS_CENTER, {20, 130, 108, 9}},
    {IDC_LICENSE,
     platform::ControlKind::Edit,
     L"",
     kReadOnlyText | WS_BORDER | WS_VSCROLL,
     {138, 65, 251, 120}},
    {IDC_PRODUCT, platform::ControlKind::Edit, L"", kReadOnlyText | ES_CENTER, {158, 20, 165, 40}},
    {IDOK,
     platform::ControlKind::PushButton,
     L"Done",
     BS_DEFPUSHBUTTON | WS_TABSTOP,
     {20, 160, 50, 14}},
    {IDC_SYSTEM, platform::ControlKind::PushButton, L"System", WS_TABSTOP, {78, 160, 50, 14}},
};

constexpr DWORD kReportBox = kReadOnlyText | WS_BORDER;
constexpr platform::DialogControl kSystemInfoControls[] = {
    {IDC_OVERVIEW, platform::ControlKind::Edit, L"", kReportBox, {90, 15, 150, 90}},
    {IDC_DISK, platform::ControlKind::Edit, L"", kReportBox, {90, 110, 150, 70}},
    {IDC_MEMORY, platform::ControlKind::Edit, L"", kReportBox, {250, 15, 120, 166}},
    {IDOK,
     platform::ControlKind::PushButton,
     L"Done",
     BS_DEFPUSHBUTTON | WS_TABSTOP,
     {20, 160, 50, 14}},
};

constexpr platform::DialogControl kHelpControls[] = {
    {IDOK,
     platform::ControlKind::PushButton,
     L"OK",
     BS_DEFPUSHBUTTON | WS_TABSTOP,
     {97, 182, 50, 14}},
    {IDC_STATIC, platform::ControlKind::Static, L"Tarvex2 Instructions", 0, {82, 14, 79, 8}},
    {IDC_STATIC, platform::ControlKind::Static, L"1.", 0, {18, 32, 8, 8}},
    {IDC_STATIC,
     platform::ControlKind::Static,
     L"Connect a serial cable between your computer and the connector labeled \"Expansion "
     L"Port\" on the Quorlex 2000 Console.",
     0,
     {41, 32, 196, 26}},
    {IDC_STATIC, platform::ControlKind::Static, L"2.", 0, {18, 67, 8, 8}},
    {IDC_STATIC,
     platform::ControlKind::Static,
     L"Click on the \"Communications\" menu and choose the appropriate COM port to be used.",
     0,
     {41, 67, 196, 18}},
    {IDC_STATIC, platform::ControlKind::Static, L"3.", 0, {18, 94, 8, 8}},
    {IDC_STATIC,
     platform::ControlKind::Static,
     L"Select the sport type you wish to install on the Quorlex 2000 Console by clicking one of "
     L"the radio buttons.  By clicking on \"Other\", you can browse to a specific file by "
     L"clicking on the \"...\" button.",
     0,
     {41, 94, 196, 33}},
    {IDC_STATIC, platform::ControlKind::Static, L"4.", 0, {18, 136, 8, 8}},
    {IDC_STATIC,
     platform::ControlKind::Static,
     L"Select \"Update\" from the \"Console\" menu or click on the \"Update\" button on the "
     L"screen.  The Tarvex program will guide you through the programming procedure.",
     0,
     {41, 136, 196, 26}},
};

}  // namespace

const platform::DialogTemplate kAboutTemplate = {
    IDD_ABOUTBOX,   L"About OrvAbout", 400, 190, kDialogStyle, 8, {},
    kAboutControls, L"MS Sans Serif",
};

const platform::DialogTemplate kSystemInfoTemplate = {
    IDD_SYSTEM_INFO,     L"System Information", 385, 190, kDialogStyle, 8, {},
    kSystemInfoControls, L"MS Sans Serif",
};

const platform::DialogTemplate kHelpTemplate = {
    IDD_HELP, L"Tarvex2 Help", 244, 203, kDialogStyle, 8, {}, kHelpControls,
};

}  // namespace tarvex::about

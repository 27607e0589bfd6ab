// Resource and command ids of the program.
#pragma once

// Dialogs, menus, icons and strings.
inline constexpr int IDD_TARVEX2_DIALOG = 102;
inline constexpr unsigned IDR_MAINFRAME = 128;
inline constexpr int IDR_MAIN_MENU = 129;
inline constexpr unsigned IDS_ABOUTBOX = 101;
inline constexpr unsigned IDS_VERSION = 102;
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;  // the About item of the system menu

// Controls of the main dialog.
inline constexpr int IDC_RADIO_POOLSIDE = 1000;
inline constexpr int IDC_RADIO_ARENA = 1001;
inline constexpr int IDC_RADIO_OVAL_TRACK = 1002;
inline constexpr int IDC_PROGRESS = 1003;
inline constexpr int IDC_UPDATE = 1004;
inline constexpr int IDC_RADIO_OTHER_QX2000 = 1005;
inline constexpr int IDC_CUSTOM_FILE = 1006;
inline constexpr int IDC_BROWSE = 1007;
inline constexpr int IDC_STATUS = 1008;
inline constexpr int IDC_RADIO_OTHER_TY5500 = 1009;
inline constexpr int IDC_RADIO_HUEVANE = 1034;

// Menu commands.
inline constexpr unsigned ID_FILE_EXIT = 32771;
inline constexpr unsigned ID_CONSOLE_UPDATE = 32772;
inline constexpr unsigned ID_ABOUT_HELP = 32773;
inline constexpr unsigned ID_ABOUT_ABOUT = 32774;
inline constexpr unsigned ID_COMM_PLACEHOLDER = 32776;
inline constexpr unsigned ID_FILE_DOWNLOAD = 32778;

namespace tarvex::app {

// The Communications menu: item i has command id kFirstPortCommand + i; only the first
// kPortCommandCount of them can be chosen. The items past them carry kNoPortCommand, which no
// handler takes.
inline constexpr unsigned kFirstPortCommand = 500;
inline constexpr unsigned kPortCommandCount = 256;
inline constexpr unsigned kNoPortCommand = 0;

}  // namespace tarvex::app

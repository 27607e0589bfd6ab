// Resource and control ids of the About, System Information and Help dialogs.
#pragma once

inline constexpr int IDD_ABOUTBOX = 1013;
inline constexpr int IDD_SYSTEM_INFO = 1027;
inline constexpr int IDD_HELP = 130;
inline constexpr unsigned IDB_LOGO = 1010;

// About box.
inline constexpr int IDC_COMPANY = 1015;
inline constexpr int IDC_FAX = 1016;
inline constexpr int IDC_PHONE = 1017;
inline constexpr int IDC_EMAIL_LINK = 1018;
inline constexpr int IDC_WEB_LINK = 1019;
inline constexpr int IDC_LICENSE = 1020;
inline constexpr int IDC_PRODUCT = 1022;
inline constexpr int IDC_SYSTEM = 1023;

// System Information.
inline constexpr int IDC_OVERVIEW = 1024;
inline constexpr int IDC_DISK = 1025;
inline constexpr int IDC_MEMORY = 1026;

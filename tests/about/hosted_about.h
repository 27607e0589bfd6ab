// The About box as the program's window fills it before showing it: the product's lines, the
// caption and the licence file's name.
#pragma once

#include "about/about_dialog.h"

class HostedAbout : public AboutDialog {
  public:
    HostedAbout() {
        m_strProductLines = {L"", L"Tarvex2 by Morvane", L"Version 2.0.0", L"", L""};
        m_strCaptionName = L"Tarvex2 by Morvane";
        m_strLicenseFile = L"OrvLicense.txt";
    }
};

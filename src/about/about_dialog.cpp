#include "about/about_dialog.h"

#include <algorithm>

#include "about/draw_transparent_bitmap.h"
#include "about/resource.h"
#include "about/system_info_dialog.h"
#include "about/templates.h"
#include "platform/files/file.h"

using tarvex::about::kAboutTemplate;

namespace {

constexpr int kLogoX = 55;
constexpr int kLogoY = 20;

std::wstring JoinLines(std::initializer_list<std::wstring> lines) {
    std::wstring text;
    bool first = true;
    for (const std::wstring& line : lines) {
        if (!first) text += L"\r\n";
        text += line;
        first = false;
    }
    return text;
}

}  // namespace

AboutDialog::AboutDialog(CWnd* parent)
    : CDialog(kAboutTemplate, parent),
      m_strCompany(L"Morvane Scoring Systems, Inc."),
      m_strStreet(L"2150 Meridian Track Road"),
      m_strPostOfficeBox(L"P.O. Box 4417"),
      m_strCity(L"Fairbrook, OR 97990"),
      m_strWebAddress(L"morvane.example"),  // fits the link's box in the Windows dialog fonts
      m_strFax(L"(555) 014-2291"),
      m_strPhone(L"(555) 014-2200"),
      m_strEmail(L"support@morvane.example"),
      m_strWebLink(L"https://www.morvane.example/"),
      m_strEmailLink(L"mailto:" + m_strEmail),
      colours_(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT)) {
    MapCommand(IDC_SYSTEM, [this] { OnSystem(); });
}

void AboutDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_COMPANY, m_editCompany);
    DDX_Control(pDX, IDC_FAX, m_staticFax);
    DDX_Control(pDX, IDC_PHONE, m_staticPhone);
    DDX_Control(pDX, IDC_EMAIL_LINK, m_linkEmail);
    DDX_Control(pDX, IDC_WEB_LINK, m_linkWeb);
    DDX_Control(pDX, IDC_LICENSE, m_editLicense);
    DDX_Control(pDX, IDC_PRODUCT, m_editProduct);
}

BOOL AboutDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    LoadLicenseText();
    m_editCompany.SetWindowText(
        JoinLines({m_strCompany, m_strStreet, m_strPostOfficeBox, m_strCity}));
    m_linkWeb.SetLinkTarget(m_strWebLink);
    m_linkWeb.SetWindowText(L"Web Site: " + m_strWebAddress);
    m_staticPhone.SetWindowText(L"Phone: " + m_strPhone);
    m_staticFax.SetWindowText(L"Fax: " + m_strFax);
    m_linkEmail.SetWindowText(m_strEmail);
    m_linkEmail.SetLinkTarget(m_strEmailLink);
    const auto& lines = m_strProductLines;
    m_editProduct.SetWindowText(JoinLines({lines[0], lines[1], lines[2], lines[3], lines[4]}));
    SetWindowText(L"About " + m_strCaptionName);
    return TRUE;
}

void AboutDialog::LoadLicenseText() {
    // A licence is a few kilobytes; a huge file (or one line of a gigabyte) must neither freeze
    // the window nor take all memory: the box shows its first 64 KB (edit boxes lay out a
    // megabyte slowly: Wine's took 46 s), and a line longer than a licence ever has is broken (Qt's
    // lays out one endless line very slowly).
    constexpr std::size_t kMostLicenceBytes = 64 * 1024;
    constexpr std::size_t kMostLineBytes = 4096;
    CStdioFile file;
    if (!file.Open(m_strLicenseFile.c_str(), CFile::modeRead | CFile::shareDenyNone)) return;
    std::wstring text;
    std::wstring line;
    std::size_t left = kMostLicenceBytes;
    BOOL more = TRUE;
    while (more && left > 0) {
        more = file.ReadString(line, std::min(left, kMostLineBytes));
        left -= std::min(left, line.size() + 1);  // one byte a character, and the line break
        text += line + L"\r\n";                   // the read that finds the end adds one more
    }
    m_editLicense.SetWindowText(text);
    file.Close();
}

bool AboutDialog::OnPaint(CDC& dc) {
    DrawTransparentBitmap(&dc, ScreenPixels(dc, kLogoX), ScreenPixels(dc, kLogoY), IDB_LOGO,
                          RGB(255, 255, 255));
    return true;
}

HBRUSH AboutDialog::OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor) {
    HBRUSH standard = CDialog::OnCtlColor(dc, control, ctlColor);
    const int id = control != nullptr ? control->GetDlgCtrlID() : 0;
    if (id == IDC_EMAIL_LINK || id == IDC_WEB_LINK ||
        (ctlColor != CTLCOLOR_STATIC && ctlColor != CTLCOLOR_DLG)) {
        return standard;
    }
    return colours_.Paint(dc);
}

void AboutDialog::OnSystem() {
    SystemInfoDialog report(this);
    report.SetColours(colours_.Background(), colours_.Text());
    report.DoModal();
}

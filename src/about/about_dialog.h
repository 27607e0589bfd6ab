// The About box: the maker's logo and contact block with its web and e-mail links, the product
// name and version, the licence text, and the System button.
#pragma once

#include <array>
#include <string>

#include "about/dialog_colours.h"
#include "about/hyperlink_static.h"
#include "platform/ui/dialog.h"

class AboutDialog : public CDialog {
  public:
    // `parent` owns the box: it stays above it and is centred on it.
    explicit AboutDialog(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;

    // Public, as a class-library dialog's data members are: the host program fills them in
    // before the box is shown, and data exchange copies them into the controls.
    // Filled in by the host program before the box is shown.
    std::wstring m_strCaptionName;
    std::array<std::wstring, 5> m_strProductLines;
    std::wstring m_strLicenseFile;

    // The maker's contact block, filled in by the constructor.
    std::wstring m_strCompany;
    std::wstring m_strStreet;
    std::wstring m_strPostOfficeBox;
    std::wstring m_strCity;
    std::wstring m_strWebAddress;
    std::wstring m_strFax;
    std::wstring m_strPhone;
    std::wstring m_strEmail;
    std::wstring m_strWebLink;
    std::wstring m_strEmailLink;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnPaint(CDC& dc) override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor) override;

    // The controls, bound by data exchange.
    CEdit m_editCompany;
    CStatic m_staticFax;
    CStatic m_staticPhone;
    HyperlinkStatic m_linkEmail;
    HyperlinkStatic m_linkWeb;
    CEdit m_editLicense;
    CEdit m_editProduct;

  private:
    void LoadLicenseText();
    void OnSystem();

    tarvex::about::DialogColours colours_;
};

// The System Information report for support calls, opened from the About box's System button.
#pragma once

#include <memory>

#include "about/dialog_colours.h"
#include "platform/system/system_facts.h"
#include "platform/ui/dialog.h"

class SystemInfoDialog : public CDialog {
  public:
    // `facts` is the computer the report describes (this one unless a test gives others).
    // `parent` owns the report: it stays above it and is centred on it.
    explicit SystemInfoDialog(
        CWnd* parent = nullptr,
        std::unique_ptr<tarvex::platform::SystemFacts> facts = tarvex::platform::MakeSystemFacts());

    // The About box's colours, set before the dialog is shown.
    void SetColours(COLORREF background, COLORREF text);

    BOOL OnInitDialog() override;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnPaint(CDC& dc) override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor) override;

    CEdit m_editOverview;
    CEdit m_editDisk;
    CEdit m_editMemory;

  private:
    std::unique_ptr<tarvex::platform::SystemFacts> facts_;
    tarvex::about::DialogColours colours_;
};

// A static text that is a link: underlined, blue until it has been opened and purple after,
// its target in a tooltip, and a click that opens the target with the desktop's handler (a
// beep when that fails).
#pragma once

#include <string>

#include "platform/ui/gdi.h"
#include "platform/ui/tooltip.h"
#include "platform/ui/wnd.h"

class HyperlinkStatic : public CStatic {
  public:
    static constexpr COLORREF kUnvisitedColour = RGB(0, 0, 255);
    static constexpr COLORREF kVisitedColour = RGB(128, 0, 128);
    static constexpr int kMaxTipWidth = 120;

    // The link's target; the tooltip shows it.
    void SetLinkTarget(const std::wstring& target);

    void PreSubclassWindow() override;
    HBRUSH CtlColor(CDC* dc, UINT ctlColor) override;
    BOOL OnReflectedNotify(UINT code) override;

  private:
    std::wstring link_;
    CToolTipCtrl toolTip_;
    CFont underlineFont_;
    bool visited_ = false;
};

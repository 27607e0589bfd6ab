#include "about/hyperlink_static.h"

#include "platform/ui/shell.h"

namespace {
// ShellExecute's results above this are success.
constexpr std::intptr_t kShellSuccessAbove = 32;
}  // namespace

void HyperlinkStatic::PreSubclassWindow() {
    toolTip_.Create(this, 0);
    toolTip_.Activate(TRUE);
    toolTip_.AddTool(this, link_, 0);
    toolTip_.SetMaxTipWidth(kMaxTipWidth);
    CStatic::PreSubclassWindow();
}

void HyperlinkStatic::SetLinkTarget(const std::wstring& target) {
    link_ = target;
    toolTip_.UpdateTipText(target, this, 0);
}

HBRUSH HyperlinkStatic::CtlColor(CDC* dc, UINT /*ctlColor*/) {
    if ((GetStyle() & SS_NOTIFY) == 0) ModifyStyle(0, SS_NOTIFY);  // so that clicks are told
    if (!underlineFont_.IsCreated()) {
        LOGFONTW font;
        GetFont(&font);
        font.lfUnderline = 1;
        underlineFont_.CreateFontIndirect(&font);
    }
    dc->SelectObject(&underlineFont_);
    dc->SetTextColor(visited_ ? kVisitedColour : kUnvisitedColour);
    dc->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

BOOL HyperlinkStatic::OnReflectedNotify(UINT code) {
    if (code != STN_CLICKED) return FALSE;
    CWaitCursor wait;
    if (link_.empty()) link_ = GetWindowText();
    const auto result = reinterpret_cast<std::intptr_t>(
        ShellExecuteW(nullptr, L"open", link_.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > kShellSuccessAbove) {
        visited_ = true;
        Invalidate(TRUE);
    } else {
        MessageBeep(0);
    }
    return TRUE;
}

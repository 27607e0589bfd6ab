#include "about/hyperlink_static.h"

#include "platform/ui/dialog_template.h"
#include "platform/ui/shell.h"

namespace {
// ShellExecute's results above this are success.
constexpr std::intptr_t kShellSuccessAbove = 32;
}  // namespace

void HyperlinkStatic::PreSubclassWindow() {
    m_toolTip.Create(this, 0);
    m_toolTip.Activate(TRUE);
    m_toolTip.AddTool(this, m_strLink, 0);
    m_toolTip.SetMaxTipWidth(kMaxTipWidth);
    CStatic::PreSubclassWindow();
}

void HyperlinkStatic::SetLinkTarget(const std::wstring& target) {
    m_strLink = target;
    m_toolTip.UpdateTipText(target, this, 0);
}

HBRUSH HyperlinkStatic::CtlColor(CDC* dc, UINT /*ctlColor*/) {
    if ((GetStyle() & SS_NOTIFY) == 0) ModifyStyle(0, SS_NOTIFY);  // so that clicks are told
    if (!m_fontUnderline.IsCreated()) {
        LOGFONTW font;
        GetFont(&font);
        font.lfUnderline = 1;
        m_fontUnderline.CreateFontIndirect(&font);
    }
    dc->SelectObject(&m_fontUnderline);
    dc->SetTextColor(m_bVisited ? kVisitedColour : kUnvisitedColour);
    dc->SetBkMode(TRANSPARENT);
    return GetStockBrush(NULL_BRUSH);
}

BOOL HyperlinkStatic::OnReflectedNotify(UINT code) {
    if (code != STN_CLICKED) return FALSE;
    CWaitCursor wait;
    if (m_strLink.empty()) m_strLink = GetWindowText();
    const auto result = reinterpret_cast<std::intptr_t>(
        ShellExecuteW(nullptr, L"open", m_strLink.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > kShellSuccessAbove) {
        m_bVisited = true;
        Invalidate(TRUE);
    } else {
        MessageBeep(0);
    }
    return TRUE;
}

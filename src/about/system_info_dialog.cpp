#include "about/system_info_dialog.h"

#include "about/draw_transparent_bitmap.h"
#include "about/resource.h"
#include "about/system_report.h"
#include "about/templates.h"

using tarvex::about::DiskSection;
using tarvex::about::kSystemInfoTemplate;
using tarvex::about::MemorySection;
using tarvex::about::OverviewText;
using tarvex::platform::SystemFacts;

namespace {
constexpr int kLogoX = 17;
constexpr int kLogoY = 17;
}  // namespace

SystemInfoDialog::SystemInfoDialog(CWnd* parent, std::unique_ptr<SystemFacts> facts)
    : CDialog(kSystemInfoTemplate, parent),
      facts_(std::move(facts)),
      colours_(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT)) {}

void SystemInfoDialog::SetColours(COLORREF background, COLORREF text) {
    colours_.Set(background, text);
}

void SystemInfoDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_OVERVIEW, m_editOverview);
    DDX_Control(pDX, IDC_DISK, m_editDisk);
    DDX_Control(pDX, IDC_MEMORY, m_editMemory);
}

BOOL SystemInfoDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_editDisk.SetWindowText(DiskSection(facts_->Disk()));
    m_editMemory.SetWindowText(MemorySection(facts_->Memory()));
    m_editOverview.SetWindowText(OverviewText(*facts_));
    return TRUE;
}

bool SystemInfoDialog::OnPaint(CDC& dc) {
    DrawTransparentBitmap(&dc, ScreenPixels(dc, kLogoX), ScreenPixels(dc, kLogoY), IDB_LOGO,
                          RGB(255, 255, 255));
    return true;
}

HBRUSH SystemInfoDialog::OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor) {
    HBRUSH standard = CDialog::OnCtlColor(dc, control, ctlColor);
    if (ctlColor != CTLCOLOR_STATIC && ctlColor != CTLCOLOR_DLG) return standard;
    return colours_.Paint(dc);
}

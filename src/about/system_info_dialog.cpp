#include "about/system_info_dialog.h"

#include "about/draw_transparent_bitmap.h"
#include "about/resource.h"
#include "about/system_report.h"
#include "about/templates.h"

using tarvex::platform::SystemFacts;

using tarvex::about::DiskSection;
using tarvex::about::kSystemInfoTemplate;
using tarvex::about::MemorySection;
using tarvex::about::OverviewText;

namespace {
constexpr int kLogoX = 17;
constexpr int kLogoY = 17;
}  // namespace

SystemInfoDialog::SystemInfoDialog(std::unique_ptr<SystemFacts> facts)
    : CDialog(kSystemInfoTemplate, nullptr),
      m_facts(std::move(facts)),
      m_colours(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT)) {}

void SystemInfoDialog::SetColours(COLORREF background, COLORREF text) {
    m_colours.Set(background, text);
}

void SystemInfoDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_OVERVIEW, m_editOverview);
    DDX_Control(pDX, IDC_DISK, m_editDisk);
    DDX_Control(pDX, IDC_MEMORY, m_editMemory);
}

BOOL SystemInfoDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_editDisk.SetWindowText(DiskSection(m_facts->Disk()));
    m_editMemory.SetWindowText(MemorySection(m_facts->Memory()));
    m_editOverview.SetWindowText(OverviewText(*m_facts));
    return TRUE;
}

bool SystemInfoDialog::OnPaint(CDC& dc) {
    DrawTransparentBitmap(&dc, kLogoX, kLogoY, IDB_LOGO, RGB(255, 255, 255));
    return true;
}

HBRUSH SystemInfoDialog::OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor) {
    HBRUSH standard = CDialog::OnCtlColor(dc, control, ctlColor);
    if (ctlColor != CTLCOLOR_STATIC && ctlColor != CTLCOLOR_DLG) return standard;
    return m_colours.Paint(dc);
}

// The open-file dialog on Windows: the common dialog, owned by the window that opens it.
#include <vector>

#include "platform/ui/file_dialog.h"
#include "platform/ui/file_filter.h"
#include "platform/ui/wnd.h"

std::wstring CFileDialog::ConvertFilter(const std::wstring& filter) {
    std::wstring converted;
    for (const tarvex::platform::FilterEntry& entry : tarvex::platform::FilterEntries(filter)) {
        converted += entry.description + L'\0' + entry.patterns + L'\0';
    }
    return converted + L'\0';
}

INT_PTR CFileDialog::DoModal() {
    const std::wstring filter = ConvertFilter(filter_);
    std::wstring extension = defaultExtension_;
    if (!extension.empty() && extension.front() == L'.') extension.erase(0, 1);
    // The folder asked for, or the working folder (never the last folder another dialog showed).
    std::wstring folder =
        m_ofn.lpstrInitialDir != nullptr ? std::wstring(m_ofn.lpstrInitialDir) : std::wstring();
    if (folder.empty()) {
        folder.resize(MAX_PATH);
        folder.resize(GetCurrentDirectoryW(MAX_PATH, folder.data()));
    }
    std::vector<wchar_t> path(32768, L'\0');
    fileName_.copy(path.data(), std::min(fileName_.size(), path.size() - 1));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = flags_ | OFN_EXPLORER;
    const BOOL chosen = m_bOpenFileDialog ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    if (!chosen) return IDCANCEL;
    pathName_ = path.data();
    return IDOK;
}

// The open-file dialog on Windows: the common dialog, owned by the window that opens it.
#include <vector>

#include "platform/ui/file_dialog.h"
#include "platform/ui/file_filter.h"
#include "platform/ui/wnd.h"

namespace {

// The process's current directory, whatever its length; empty when it cannot be read.
std::wstring CurrentDirectory() {
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

}  // namespace

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
    if (folder.empty()) folder = CurrentDirectory();
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
    // Without OFN_NOCHANGEDIR the dialog moves the process's current directory to the folder
    // the user browsed to, and some versions of Windows move it even with the flag
    // (GetOpenFileName's documentation): it is put back whatever the dialog did.
    const std::wstring current = CurrentDirectory();
    const BOOL chosen = m_bOpenFileDialog ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    if (!current.empty()) SetCurrentDirectoryW(current.c_str());
    if (!chosen) return IDCANCEL;
    pathName_ = path.data();
    return IDOK;
}

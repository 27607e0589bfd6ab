// What the open-file dialog does the same on every window system.
#include "platform/ui/file_dialog.h"

#include "platform/ui/file_filter.h"

CFileDialog::CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension,
                         const wchar_t* fileName, DWORD flags, const wchar_t* filter, CWnd* parent)
    : m_bOpenFileDialog(openFileDialog),
      defaultExtension_(defaultExtension != nullptr ? defaultExtension : L""),
      fileName_(fileName != nullptr ? fileName : L""),
      flags_(flags),
      filter_(filter != nullptr ? filter : L""),
      m_pParentWnd(parent) {}

std::vector<tarvex::platform::FilterEntry> tarvex::platform::FilterEntries(
    const std::wstring& filter) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (std::size_t bar; (bar = filter.find(L'|', start)) != std::wstring::npos; start = bar + 1) {
        parts.push_back(filter.substr(start, bar - start));
    }
    parts.push_back(filter.substr(start));
    std::vector<FilterEntry> entries;
    for (std::size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
        entries.push_back({parts[i], parts[i + 1]});
    }
    return entries;
}

#include "platform/ui/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>
#include <vector>

#include "platform/message_box.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/window_ref.h"
#include "platform/ui/wnd.h"

namespace {

std::vector<std::wstring> SplitAtBars(const std::wstring& text) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (std::size_t bar; (bar = text.find(L'|', start)) != std::wstring::npos; start = bar + 1) {
        parts.push_back(text.substr(start, bar - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

// "*.hex;*.h86" as the window system writes patterns: "*.hex *.h86", with "*.*" as "*".
std::wstring ConvertPatterns(const std::wstring& patterns) {
    std::wstring converted;
    for (std::size_t start = 0; start <= patterns.size();) {
        std::size_t end = patterns.find(L';', start);
        if (end == std::wstring::npos) end = patterns.size();
        std::wstring pattern = patterns.substr(start, end - start);
        if (pattern == L"*.*") pattern = L"*";
        if (!pattern.empty()) converted += (converted.empty() ? L"" : L" ") + pattern;
        start = end + 1;
    }
    return converted;
}

// The description without the patterns it may already name in parentheses at its end.
std::wstring BareDescription(std::wstring description) {
    if (!description.empty() && description.back() == L')') {
        if (auto open = description.rfind(L'('); open != std::wstring::npos) {
            description.erase(open);
            while (!description.empty() && description.back() == L' ') description.pop_back();
        }
    }
    return description;
}

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension,
                         const wchar_t* fileName, DWORD flags, const wchar_t* filter, CWnd* parent)
    : m_bOpenFileDialog(openFileDialog),
      defaultExtension_(defaultExtension != nullptr ? defaultExtension : L""),
      fileName_(fileName != nullptr ? fileName : L""),
      flags_(flags),
      filter_(filter != nullptr ? filter : L""),
      m_pParentWnd(parent) {}

std::wstring CFileDialog::ConvertFilter(const std::wstring& filter) {
    const std::vector<std::wstring> parts = SplitAtBars(filter);
    std::wstring converted;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty()) break;  // the "||" that ends the filter
        const std::wstring entry =
            BareDescription(parts[i]) + L" (" + ConvertPatterns(parts[i + 1]) + L")";
        converted += (converted.empty() ? L"" : L";;") + entry;
    }
    return converted;
}

INT_PTR CFileDialog::DoModal() {
    QWidget* parent = nullptr;
    if (m_pParentWnd != nullptr && m_pParentWnd->Window() != nullptr) {
        parent = m_pParentWnd->Window()->widget.data();
    }
    // The window system's own dialog behaves the same on every desktop and in tests.
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(m_bOpenFileDialog && (flags_ & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                                         : QFileDialog::AnyFile);
    std::wstring extension = defaultExtension_;
    if (!extension.empty() && extension.front() == L'.') extension.erase(0, 1);
    dialog.setDefaultSuffix(QString::fromStdWString(extension));
    dialog.setNameFilter(QString::fromStdWString(ConvertFilter(filter_)));
    // The folder asked for, or the working folder (never the last folder another dialog showed).
    const bool folderGiven = m_ofn.lpstrInitialDir != nullptr && *m_ofn.lpstrInitialDir != L'\0';
    dialog.setDirectory(folderGiven ? tarvex::platform::ToQString(m_ofn.lpstrInitialDir)
                                    : QDir::currentPath());
    if (!fileName_.empty()) dialog.selectFile(QString::fromStdWString(fileName_));
    dialog.setViewMode(QFileDialog::Detail);
    // Columns as wide as their text, so that long firmware names and dates can be read.
    if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    }
    dialog.resize(820, 480);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return IDCANCEL;
    pathName_ = dialog.selectedFiles().front().toStdWString();
    return IDOK;
}

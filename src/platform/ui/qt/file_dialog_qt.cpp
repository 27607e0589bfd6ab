#include "platform/ui/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>
#include <vector>

#include "platform/ui/file_filter.h"
#include "platform/ui/qt/qt_text.h"
#include "platform/ui/qt/window_ref.h"
#include "platform/ui/wnd.h"

namespace {

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

std::wstring CFileDialog::ConvertFilter(const std::wstring& filter) {
    std::wstring converted;
    for (const tarvex::platform::FilterEntry& entry : tarvex::platform::FilterEntries(filter)) {
        converted += (converted.empty() ? L"" : L";;") + BareDescription(entry.description) +
                     L" (" + ConvertPatterns(entry.patterns) + L")";
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

// The open-file dialog in the manner of the class library. The filter is given in its
// "Description|patterns|...||" form; "*.*" means every file, as it does on Windows.
#pragma once

#include <string>

#include "platform/ui/win32_ui.h"

class CWnd;

class CFileDialog {
  public:
    CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension = nullptr,
                const wchar_t* fileName = nullptr, DWORD flags = 0, const wchar_t* filter = nullptr,
                CWnd* parent = nullptr);

    // IDOK once the user has chosen a file, IDCANCEL otherwise.
    INT_PTR DoModal();

    // The dialog's set-up record, as far as this program sets it: the folder it opens in (the
    // working folder when none is given).
    struct OpenFileName {
        const wchar_t* lpstrInitialDir = nullptr;
    };
    // Public, as in the class library: the caller sets it before DoModal.
    OpenFileName m_ofn;
    std::wstring GetPathName() const { return pathName_; }

    // The filter in the window system's form: on Linux "Description (patterns)" entries joined
    // by ";;", on Windows the description and patterns of each entry ending in a zero each.
    static std::wstring ConvertFilter(const std::wstring& filter);

  private:
    BOOL m_bOpenFileDialog;
    std::wstring defaultExtension_;
    std::wstring fileName_;
    DWORD flags_;
    std::wstring filter_;
    CWnd* m_pParentWnd;
    std::wstring pathName_;
};

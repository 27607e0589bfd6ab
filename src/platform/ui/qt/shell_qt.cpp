#include "platform/ui/shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <string>

#include "platform/ui/qt/qt_text.h"

namespace {

// ShellExecute's results: above 32 is success; 2 is "file not found".
constexpr std::intptr_t kHandedOver = 42;
constexpr std::intptr_t kNotOpened = 2;

}  // namespace

HINSTANCE ShellExecuteW(HWND /*owner*/, const wchar_t* verb, const wchar_t* file,
                        const wchar_t* /*parameters*/, const wchar_t* /*directory*/, int /*show*/) {
    const bool open = verb == nullptr || std::wstring_view(verb) == L"open";
    const QString target = tarvex::platform::ToQString(file != nullptr ? file : L"");
    const QUrl url = QUrl::fromUserInput(target);
    const bool done = open && !target.isEmpty() && url.isValid() && QDesktopServices::openUrl(url);
    return reinterpret_cast<HINSTANCE>(done ? kHandedOver : kNotOpened);
}

BOOL MessageBeep(UINT /*type*/) {
    QApplication::beep();
    return TRUE;
}

CWaitCursor::CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

CWaitCursor::~CWaitCursor() { QApplication::restoreOverrideCursor(); }

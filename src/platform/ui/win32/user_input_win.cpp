#include "platform/ui/user_input.h"
#include "platform/ui/win32/window_ref.h"

#include <string>
#include <vector>

namespace tarvex::platform {
namespace {

// The program's visible top-level windows.
std::vector<HWND> ProgramWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A message box is a dialog of the system's class "#32770" with the caption given.
HWND VisibleBox(const std::wstring& caption) {
    for (HWND window : ProgramWindows()) {
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (std::wstring(className) == L"#32770" && caption == text) return window;
    }
    return nullptr;
}

}  // namespace

std::optional<OpenMessageBox> FindOpenMessageBox(const std::wstring& caption) {
    HWND box = VisibleBox(caption);
    if (box == nullptr) return std::nullopt;
    OpenMessageBox facts;
    facts.owned = GetWindow(box, GW_OWNER) != nullptr;
    for (HWND window : ProgramWindows()) {
        if (window != box && !IsWindowEnabled(window)) facts.blocksWindows = true;
    }
    return facts;
}

bool AnswerOpenMessageBox(const std::wstring& caption) {
    HWND box = VisibleBox(caption);
    return box != nullptr && PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// In a dialog the focus moves as Tab moves it, so that a push button given it becomes the
// default one, as the dialog manager does.
void SetFocus(CWnd& window) {
    if (window.Window() == nullptr) return;
    window.Window()->With([&] {
        HWND control = window.Window()->hwnd;
        HWND dialog = ::GetParent(control);
        if (dialog != nullptr) {
            ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        } else {
            ::SetFocus(control);
        }
    });
}

// The key goes into the window thread's queue, where the dialog's loop takes it as typed.
void PressKey(UINT virtualKey) {
    HWND target = ::GetFocus();
    if (target == nullptr) target = ::GetActiveWindow();
    if (target == nullptr) return;
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
    PostMessageW(target, WM_KEYUP, virtualKey,
                 1 | (static_cast<LPARAM>(scan) << 16) | (LPARAM{3} << 30));
}

}  // namespace tarvex::platform

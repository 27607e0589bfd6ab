// Following a progress bar on Windows: the control is subclassed, and after each message that
// can move it its position is read back.
#include "platform/ui/control_watch.h"
#include "platform/ui/win32/window_ref.h"

namespace tarvex::platform {
namespace {

struct ProgressWatch {
    std::function<void(int)> changed;
    int position;
};

LRESULT CALLBACK WatchedProgressBar(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR subclass, DWORD_PTR data) {
    auto* watch = reinterpret_cast<ProgressWatch*>(data);
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    switch (message) {
        case PBM_SETPOS:
        case PBM_STEPIT:
        case PBM_DELTAPOS:
        case PBM_SETRANGE:
        case PBM_SETRANGE32: {
            const int position = static_cast<int>(DefSubclassProc(window, PBM_GETPOS, 0, 0));
            if (position != watch->position) {
                watch->position = position;
                watch->changed(position);
            }
            break;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, WatchedProgressBar, subclass);
            delete watch;
            break;
        default:
            break;
    }
    return result;
}

}  // namespace

void WatchProgressBar(const CDialog& dialog, int id, std::function<void(int)> changed) {
    auto control = dialog.ControlWindow(id);
    if (control == nullptr) return;
    control->With([&] {
        const int position = static_cast<int>(::SendMessageW(control->hwnd, PBM_GETPOS, 0, 0));
        auto* watch = new ProgressWatch{std::move(changed), position};
        if (!SetWindowSubclass(control->hwnd, WatchedProgressBar, 1,
                               reinterpret_cast<DWORD_PTR>(watch))) {
            delete watch;
        }
    });
}

std::vector<std::wstring> ControlTexts(const CDialog& dialog) {
    std::vector<std::wstring> texts;
    if (dialog.Window() == nullptr) return texts;
    dialog.Window()->With([&] {
        for (HWND control = ::GetWindow(dialog.Window()->hwnd, GW_CHILD); control != nullptr;
             control = ::GetWindow(control, GW_HWNDNEXT)) {
            std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
            text.resize(static_cast<std::size_t>(
                ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
            texts.push_back(text);
        }
    });
    return texts;
}

}  // namespace tarvex::platform

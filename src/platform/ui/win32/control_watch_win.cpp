// What tests and tools see of a dialog on Windows: a progress bar followed by subclassing it
// (after each message that can move it, its position is read back), the controls' texts, and the
// dialog's picture as the screen shows it.
#include "platform/ui/control_watch.h"

#include <cstdio>

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

bool SaveWindowPicture(const CDialog& dialog, const std::filesystem::path& file) {
    bool saved = false;
    if (dialog.Window() == nullptr) return false;
    dialog.Window()->With([&] {
        RECT area;
        if (!::GetWindowRect(dialog.Window()->hwnd, &area)) return;
        const int width = area.right - area.left;
        const int height = area.bottom - area.top;
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = height;  // bottom-up, as a BMP file keeps its rows
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 24;
        format.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        HDC screen = ::GetDC(nullptr);
        HDC memory = ::CreateCompatibleDC(screen);
        HBITMAP picture = ::CreateDIBSection(screen, &format, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (picture != nullptr) {
            HGDIOBJ before = ::SelectObject(memory, picture);
            ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
            ::GdiFlush();
            ::SelectObject(memory, before);
            const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
            const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
            BITMAPFILEHEADER header{};
            header.bfType = 0x4D42;  // "BM"
            header.bfOffBits = sizeof header + sizeof format.bmiHeader;
            header.bfSize = header.bfOffBits + imageBytes;
            format.bmiHeader.biSizeImage = imageBytes;
            if (std::FILE* out = _wfopen(file.wstring().c_str(), L"wb")) {
                saved = std::fwrite(&header, sizeof header, 1, out) == 1 &&
                        std::fwrite(&format.bmiHeader, sizeof format.bmiHeader, 1, out) == 1 &&
                        std::fwrite(pixels, 1, imageBytes, out) == imageBytes;
                saved = std::fclose(out) == 0 && saved;
            }
            ::DeleteObject(picture);
        }
        ::DeleteDC(memory);
        ::ReleaseDC(nullptr, screen);
    });
    return saved;
}

}  // namespace tarvex::platform

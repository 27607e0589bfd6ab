// GDI on Windows: the class library's objects around the system's bitmaps, fonts and device
// contexts.
#include "platform/ui/win32/gdi_win.h"

#include <utility>

CBitmap::CBitmap() : impl_(std::make_unique<Impl>()) {}

CBitmap::~CBitmap() { DeleteObject(); }

namespace {

// The resolution the program's bitmaps are drawn for.
constexpr int kBitmapDpi = 96;

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : kBitmapDpi;
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBitmapDpi;
}

}  // namespace

// Windows draws a bitmap pixel for pixel, and a program that declares itself aware of the
// screen's resolution (our manifest does) is not scaled by the system: it scales its own. The
// dialogs' controls and text follow the font; the bitmaps are stretched here, by LoadImageW.
BOOL CBitmap::LoadBitmap(UINT id) {
    DeleteObject();
    HINSTANCE program = GetModuleHandleW(nullptr);
    impl_->bitmap = ::LoadBitmapW(program, MAKEINTRESOURCEW(id));
    const int dpi = ScreenDpi();
    BITMAP size{};
    if (impl_->bitmap != nullptr && dpi != kBitmapDpi &&
        ::GetObjectW(impl_->bitmap, sizeof size, &size) != 0) {
        HANDLE scaled = ::LoadImageW(program, MAKEINTRESOURCEW(id), IMAGE_BITMAP,
                                     ::MulDiv(size.bmWidth, dpi, kBitmapDpi),
                                     ::MulDiv(size.bmHeight, dpi, kBitmapDpi), LR_DEFAULTCOLOR);
        if (scaled != nullptr) {
            ::DeleteObject(impl_->bitmap);
            impl_->bitmap = static_cast<HBITMAP>(scaled);
        }
    }
    return impl_->bitmap != nullptr ? TRUE : FALSE;
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel) {
    DeleteObject();
    impl_->bitmap = ::CreateBitmap(width, height, planes, bitsPerPixel, nullptr);
    return impl_->bitmap != nullptr ? TRUE : FALSE;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    DeleteObject();
    // Without a context of its own, the bitmap is one the screen could show.
    HDC reference = dc != nullptr ? dc->Native().dc : nullptr;
    HDC screen = reference == nullptr ? ::GetDC(nullptr) : nullptr;
    impl_->bitmap =
        ::CreateCompatibleBitmap(reference != nullptr ? reference : screen, width, height);
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    return impl_->bitmap != nullptr ? TRUE : FALSE;
}

int CBitmap::GetBitmap(BITMAP* description) const {
    if (description == nullptr || impl_->bitmap == nullptr) return 0;
    return ::GetObjectW(impl_->bitmap, sizeof(BITMAP), description);
}

BOOL CBitmap::DeleteObject() {
    if (impl_->bitmap == nullptr) return FALSE;
    return ::DeleteObject(std::exchange(impl_->bitmap, nullptr));
}

CFont::CFont() : impl_(std::make_unique<Impl>()) {}

CFont::~CFont() {
    if (impl_->font != nullptr) ::DeleteObject(impl_->font);
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* font) {
    if (font == nullptr) return FALSE;
    if (impl_->font != nullptr) ::DeleteObject(impl_->font);
    impl_->font = ::CreateFontIndirectW(font);
    return impl_->font != nullptr ? TRUE : FALSE;
}

bool CFont::IsCreated() const { return impl_->font != nullptr; }

CDC::CDC() : impl_(std::make_unique<Impl>()) {}

CDC::CDC(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

CDC::~CDC() { DeleteDC(); }

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    DeleteDC();
    impl_->dc = ::CreateCompatibleDC(dc != nullptr ? dc->impl_->dc : nullptr);
    impl_->owned = impl_->dc != nullptr;
    return impl_->owned ? TRUE : FALSE;
}

BOOL CDC::DeleteDC() {
    if (!impl_->owned) return FALSE;
    if (impl_->firstBitmap != nullptr) ::SelectObject(impl_->dc, impl_->firstBitmap);
    if (impl_->firstFont != nullptr) ::SelectObject(impl_->dc, impl_->firstFont);
    const BOOL deleted = ::DeleteDC(impl_->dc);
    *impl_ = Impl{};
    return deleted;
}

namespace {

// Selects `object` (for none, the context's own object of that kind, kept at the first selection)
// into `dc`; returns the class library's object selected before, nullptr if none or if nothing
// could be selected.
template <typename Object>
Object* SelectInto(HDC dc, HGDIOBJ native, Object* object, HGDIOBJ& first, Object*& current) {
    HGDIOBJ selected = object != nullptr ? native : first;
    if (selected == nullptr) return nullptr;
    HGDIOBJ before = ::SelectObject(dc, selected);
    if (first == nullptr) first = before;
    return std::exchange(current, object);
}

}  // namespace

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return SelectInto(impl_->dc, bitmap != nullptr ? bitmap->Native().bitmap : nullptr, bitmap,
                      impl_->firstBitmap, impl_->bitmap);
}

CFont* CDC::SelectObject(CFont* font) {
    return SelectInto(impl_->dc, font != nullptr ? font->Native().font : nullptr, font,
                      impl_->firstFont, impl_->font);
}

int CDC::SetMapMode(int mode) { return ::SetMapMode(impl_->dc, mode); }

int CDC::GetMapMode() const { return ::GetMapMode(impl_->dc); }

int CDC::GetDeviceCaps(int index) const { return ::GetDeviceCaps(impl_->dc, index); }

COLORREF CDC::SetBkColor(COLORREF colour) { return ::SetBkColor(impl_->dc, colour); }

COLORREF CDC::SetTextColor(COLORREF colour) { return ::SetTextColor(impl_->dc, colour); }

int CDC::SetBkMode(int mode) { return ::SetBkMode(impl_->dc, mode); }

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF colour) {
    HBRUSH brush = ::CreateSolidBrush(colour);
    const RECT area{x, y, x + width, y + height};
    ::FillRect(impl_->dc, &area, brush);
    ::DeleteObject(brush);
}

COLORREF CDC::GetPixel(int x, int y) const { return ::GetPixel(impl_->dc, x, y); }

BOOL CDC::DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(impl_->dc, x, y, icon); }

HDC CDC::GetSafeHdc() const { return impl_->dc; }

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop) {
    if (source == nullptr || impl_->dc == nullptr) return FALSE;
    return ::BitBlt(impl_->dc, x, y, width, height, source->impl_->dc, sx, sy, rop);
}

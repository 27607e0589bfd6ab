#include "platform/ui/qt/gdi_qt.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

using tarvex::platform::ToQRgb;

namespace {

COLORREF FromRgb(QRgb rgb) {
    return RGB(static_cast<BYTE>(qRed(rgb)), static_cast<BYTE>(qGreen(rgb)),
               static_cast<BYTE>(qBlue(rgb)));
}

// Qt lays windows out in pixels of a 96-dpi screen and scales them, pictures included, to the
// screen's own (its device pixel ratio).
constexpr int kQtLayoutDpi = 96;

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

struct Brush {
    bool solid;
    COLORREF colour;
};

// Brushes by handle; the handle is the address of its entry. Guarded by BrushLock().
std::map<HBRUSH, std::unique_ptr<Brush>>& Brushes() {
    static std::map<HBRUSH, std::unique_ptr<Brush>> brushes;
    return brushes;
}
std::mutex& BrushLock() {
    static std::mutex lock;
    return lock;
}

HBRUSH MakeBrush(bool solid, COLORREF colour) {
    auto brush = std::make_unique<Brush>(Brush{solid, colour});
    auto handle = reinterpret_cast<HBRUSH>(brush.get());
    std::lock_guard guard(BrushLock());
    Brushes().emplace(handle, std::move(brush));
    return handle;
}

// What the raster operation `rop` makes of source and destination pixels: its truth table, by
// the bits (pattern, source, destination), with no pattern (a black brush).
QRgb Combine(DWORD rop, QRgb source, QRgb destination) {
    const unsigned table = (rop >> 16) & 0xFF;
    QRgb result = 0;
    for (unsigned inputs = 0; inputs < 8; ++inputs) {
        if ((table & (1u << inputs)) == 0 || (inputs & 4) != 0) continue;
        const QRgb s = (inputs & 2) ? source : ~source;
        const QRgb d = (inputs & 1) ? destination : ~destination;
        result |= s & d;
    }
    return 0xFF000000 | (result & 0xFFFFFF);
}

}  // namespace

int GetSystemMetrics(int index) {
    constexpr int kIconSize = 32;  // Windows' icon size at 96 dots an inch
    return index == SM_CXICON || index == SM_CYICON ? kIconSize : 0;
}

COLORREF GetSysColor(int index) {
    const QPalette palette = QApplication::palette();
    switch (index) {
        case COLOR_BTNTEXT:
            return FromRgb(palette.color(QPalette::ButtonText).rgb());
        case COLOR_BTNFACE:
        default:
            return FromRgb(palette.color(QPalette::Button).rgb());
    }
}

HBRUSH CreateSolidBrush(COLORREF colour) { return MakeBrush(true, colour); }

HGDIOBJ GetStockObject(int stock) {
    static const HBRUSH nullBrush = MakeBrush(false, 0);
    return stock == NULL_BRUSH ? nullBrush : nullptr;
}

HBRUSH GetSysColorBrush(int index) {
    // One per colour index, kept for the process as the system's own brushes are.
    static std::map<int, HBRUSH> system;
    static std::mutex lock;
    std::lock_guard guard(lock);
    HBRUSH& brush = system[index];
    if (brush == nullptr) brush = MakeBrush(true, GetSysColor(index));
    return brush;
}

BOOL DeleteObject(HGDIOBJ object) {
    std::lock_guard guard(BrushLock());
    return Brushes().erase(static_cast<HBRUSH>(object)) > 0 ? TRUE : FALSE;
}

bool tarvex::platform::BrushColour(HBRUSH brush, COLORREF& colour) {
    std::lock_guard guard(BrushLock());
    auto it = Brushes().find(brush);
    if (it == Brushes().end() || !it->second->solid) return false;
    colour = it->second->colour;
    return true;
}

CBitmap::CBitmap() : impl_(std::make_unique<Impl>()) {}

CBitmap::~CBitmap() = default;

BOOL CBitmap::LoadBitmap(UINT id) {
    const QString path = QStringLiteral(":/bitmaps/%1.bmp").arg(id);
    if (!QFile::exists(path)) return FALSE;
    QImage loaded(path);
    if (loaded.isNull()) return FALSE;
    impl_->image = loaded.convertToFormat(QImage::Format_RGB32);
    impl_->monochrome = false;
    return TRUE;
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel) {
    if (width <= 0 || height <= 0) return FALSE;
    impl_->image = QImage(width, height, QImage::Format_RGB32);
    impl_->monochrome = planes == 1 && bitsPerPixel == 1;
    impl_->image.fill(kBlack);
    return TRUE;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* /*dc*/, int width, int height) {
    return CreateBitmap(width, height, 1, 32);
}

int CBitmap::GetBitmap(BITMAP* description) const {
    if (description == nullptr || impl_->image.isNull()) return 0;
    description->bmWidth = impl_->image.width();
    description->bmHeight = impl_->image.height();
    description->bmPlanes = 1;
    description->bmBitsPixel = impl_->monochrome ? 1 : 32;
    return static_cast<int>(sizeof(BITMAP));
}

BOOL CBitmap::DeleteObject() {
    impl_->image = QImage();
    return TRUE;
}

CFont::CFont() : impl_(std::make_unique<Impl>()) {}

CFont::~CFont() = default;

BOOL CFont::CreateFontIndirect(const LOGFONTW* font) {
    if (font == nullptr) return FALSE;
    impl_->font = *font;
    impl_->created = true;
    return TRUE;
}

bool CFont::IsCreated() const { return impl_->created; }

CDC::CDC() : impl_(std::make_unique<Impl>()) {}

CDC::CDC(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

CDC::~CDC() = default;

BOOL CDC::CreateCompatibleDC(CDC* /*dc*/) {
    impl_->memory = true;
    return TRUE;
}

BOOL CDC::DeleteDC() {
    impl_->bitmap = nullptr;
    impl_->memory = false;
    return TRUE;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) { return std::exchange(impl_->bitmap, bitmap); }

CFont* CDC::SelectObject(CFont* font) { return std::exchange(impl_->font, font); }

int CDC::SetMapMode(int mode) { return std::exchange(impl_->mapMode, mode); }

int CDC::GetMapMode() const { return impl_->mapMode; }

int CDC::GetDeviceCaps(int index) const {
    return index == LOGPIXELSX || index == LOGPIXELSY ? kQtLayoutDpi : 0;
}

COLORREF CDC::SetBkColor(COLORREF colour) { return std::exchange(impl_->bkColour, colour); }

COLORREF CDC::SetTextColor(COLORREF colour) {
    impl_->textSet = true;
    return std::exchange(impl_->textColour, colour);
}

int CDC::SetBkMode(int mode) { return std::exchange(impl_->bkMode, mode); }

QImage* CDC::Impl::Surface() const {
    if (!memory) return client;
    return bitmap != nullptr && !bitmap->Native().image.isNull() ? &bitmap->Native().image
                                                                 : nullptr;
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF colour) {
    QImage* surface = impl_->Surface();
    if (surface == nullptr) return;
    const QRect area = QRect(x, y, width, height).intersected(surface->rect());
    for (int row = area.top(); row <= area.bottom(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(surface->scanLine(row));
        std::fill(line + area.left(), line + area.right() + 1, 0xFF000000 | ToQRgb(colour));
    }
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    QImage* surface = impl_->Surface();
    if (surface == nullptr || icon == nullptr) return FALSE;
    const int size = GetSystemMetrics(SM_CXICON);
    QPainter painter(surface);
    reinterpret_cast<const QIcon*>(icon)->paint(&painter, x, y, size, size);
    return TRUE;
}

HDC CDC::GetSafeHdc() const { return reinterpret_cast<HDC>(impl_.get()); }

COLORREF CDC::GetPixel(int x, int y) const {
    const QImage* surface = impl_->Surface();
    if (surface == nullptr || !surface->rect().contains(x, y)) return CLR_INVALID;
    return FromRgb(surface->pixel(x, y));
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop) {
    QImage* to = impl_->Surface();
    QImage* from = source != nullptr ? source->impl_->Surface() : nullptr;
    if (to == nullptr || from == nullptr) return FALSE;
    const Impl& in = *source->impl_;
    const bool toMono = impl_->memory && impl_->bitmap->Native().monochrome;
    const bool fromMono = in.memory && in.bitmap->Native().monochrome;
    for (int row = 0; row < height; ++row) {
        const int ty = y + row;
        const int fy = sy + row;
        if (ty < 0 || ty >= to->height() || fy < 0 || fy >= from->height()) continue;
        auto* outLine = reinterpret_cast<QRgb*>(to->scanLine(ty));
        const auto* inLine = reinterpret_cast<const QRgb*>(from->constScanLine(fy));
        for (int column = 0; column < width; ++column) {
            const int tx = x + column;
            const int fx = sx + column;
            if (tx < 0 || tx >= to->width() || fx < 0 || fx >= from->width()) continue;
            QRgb pixel = inLine[fx];
            // Colour to monochrome: the source's background colour is white, all else black.
            // Monochrome to colour: white takes the target's background colour, black its text
            // colour.
            if (toMono && !fromMono) {
                pixel = (pixel & 0xFFFFFF) == (ToQRgb(in.bkColour) & 0xFFFFFF) ? kWhite : kBlack;
            } else if (fromMono && !toMono) {
                pixel = pixel == kWhite ? ToQRgb(impl_->bkColour) : ToQRgb(impl_->textColour);
            }
            outLine[tx] = rop == SRCCOPY ? (0xFF000000 | pixel) : Combine(rop, pixel, outLine[tx]);
        }
    }
    return TRUE;
}

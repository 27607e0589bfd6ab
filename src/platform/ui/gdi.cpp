#include "platform/ui/gdi.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <map>
#include <mutex>
#include <utility>

namespace {

QRgb ToRgb(COLORREF colour) {
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

COLORREF FromRgb(QRgb rgb) {
    return RGB(static_cast<BYTE>(qRed(rgb)), static_cast<BYTE>(qGreen(rgb)),
               static_cast<BYTE>(qBlue(rgb)));
}

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

}  // namespace

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

HBRUSH GetStockBrush(int stock) {
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

BOOL DeleteObject(HBRUSH brush) {
    std::lock_guard guard(BrushLock());
    return Brushes().erase(brush) > 0 ? TRUE : FALSE;
}

bool tarvex::platform::BrushColour(HBRUSH brush, COLORREF& colour) {
    std::lock_guard guard(BrushLock());
    auto it = Brushes().find(brush);
    if (it == Brushes().end() || !it->second->solid) return false;
    colour = it->second->colour;
    return true;
}

BOOL CBitmap::LoadBitmap(UINT id) {
    const QString path = QStringLiteral(":/bitmaps/%1.bmp").arg(id);
    if (!QFile::exists(path)) return FALSE;
    QImage loaded(path);
    if (loaded.isNull()) return FALSE;
    image_ = loaded.convertToFormat(QImage::Format_RGB32);
    monochrome_ = false;
    return TRUE;
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel) {
    if (width <= 0 || height <= 0) return FALSE;
    image_ = QImage(width, height, QImage::Format_RGB32);
    monochrome_ = planes == 1 && bitsPerPixel == 1;
    image_.fill(kBlack);
    return TRUE;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* /*dc*/, int width, int height) {
    return CreateBitmap(width, height, 1, 32);
}

int CBitmap::GetBitmap(BITMAP* description) const {
    if (description == nullptr || image_.isNull()) return 0;
    description->bmWidth = image_.width();
    description->bmHeight = image_.height();
    description->bmPlanes = 1;
    description->bmBitsPixel = monochrome_ ? 1 : 32;
    return static_cast<int>(sizeof(BITMAP));
}

BOOL CBitmap::DeleteObject() {
    image_ = QImage();
    return TRUE;
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* font) {
    if (font == nullptr) return FALSE;
    font_ = *font;
    created_ = true;
    return TRUE;
}

CDC::CDC() = default;

CDC::CDC(QImage* image) : target_(image) {}

CDC::~CDC() = default;

BOOL CDC::CreateCompatibleDC(CDC* /*dc*/) {
    memory_ = true;
    return TRUE;
}

BOOL CDC::DeleteDC() {
    bitmap_ = nullptr;
    memory_ = false;
    return TRUE;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) { return std::exchange(bitmap_, bitmap); }

CFont* CDC::SelectObject(CFont* font) { return std::exchange(font_, font); }

int CDC::SetMapMode(int mode) { return std::exchange(mapMode_, mode); }

COLORREF CDC::SetBkColor(COLORREF colour) {
    bkSet_ = true;
    return std::exchange(bkColour_, colour);
}

COLORREF CDC::SetTextColor(COLORREF colour) {
    textSet_ = true;
    return std::exchange(textColour_, colour);
}

int CDC::SetBkMode(int mode) { return std::exchange(bkMode_, mode); }

QImage* CDC::Surface() const {
    if (memory_)
        return bitmap_ != nullptr && !bitmap_->Image().isNull() ? &bitmap_->Image() : nullptr;
    return target_;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop) {
    QImage* to = Surface();
    QImage* from = source != nullptr ? source->Surface() : nullptr;
    if (to == nullptr || from == nullptr) return FALSE;
    const bool toMono = memory_ && bitmap_->IsMonochrome();
    const bool fromMono = source->memory_ && source->bitmap_->IsMonochrome();
    for (int row = 0; row < height; ++row) {
        const int ty = y + row;
        const int fy = sy + row;
        if (ty < 0 || ty >= to->height() || fy < 0 || fy >= from->height()) continue;
        auto* out = reinterpret_cast<QRgb*>(to->scanLine(ty));
        const auto* in = reinterpret_cast<const QRgb*>(from->constScanLine(fy));
        for (int column = 0; column < width; ++column) {
            const int tx = x + column;
            const int fx = sx + column;
            if (tx < 0 || tx >= to->width() || fx < 0 || fx >= from->width()) continue;
            QRgb pixel = in[fx];
            // Colour to monochrome: the source's background colour is white, all else black.
            // Monochrome to colour: white takes the target's background colour, black its text
            // colour.
            if (toMono && !fromMono) {
                pixel =
                    (pixel & 0xFFFFFF) == (ToRgb(source->bkColour_) & 0xFFFFFF) ? kWhite : kBlack;
            } else if (fromMono && !toMono) {
                pixel = pixel == kWhite ? ToRgb(bkColour_) : ToRgb(textColour_);
            }
            QRgb& target = out[tx];
            switch (rop) {
                case SRCAND:
                    target = 0xFF000000 | (target & pixel);
                    break;
                case SRCINVERT:
                    target = 0xFF000000 | ((target ^ pixel) & 0xFFFFFF);
                    break;
                case DSTANDNOTSRC:
                    target = 0xFF000000 | (target & ~pixel & 0xFFFFFF);
                    break;
                case SRCCOPY:
                default:
                    target = pixel;
                    break;
            }
        }
    }
    return TRUE;
}

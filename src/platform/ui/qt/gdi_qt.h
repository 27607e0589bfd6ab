// Private to the Qt window backend: what its bitmaps, fonts and device contexts are. A bitmap is
// an image; a context draws into the image of its selected bitmap, or into a dialog's client
// area, or (a colour handler's) only records the colours and font it is given.
#pragma once

#include <QImage>

#include "platform/ui/gdi.h"

struct CBitmap::Impl {
    QImage image;
    bool monochrome = false;
};

struct CFont::Impl {
    LOGFONTW font;
    bool created = false;
};

struct CDC::Impl {
    QImage* client = nullptr;  // a paint context's client area
    bool memory = false;       // a memory context: draws into its bitmap
    CBitmap* bitmap = nullptr;
    CFont* font = nullptr;
    int mapMode = MM_TEXT;
    COLORREF bkColour = RGB(255, 255, 255);
    COLORREF textColour = RGB(0, 0, 0);
    int bkMode = OPAQUE;
    bool textSet = false;  // which colours a colour handler set; the rest are the control's own

    QImage* Surface() const;
};

namespace tarvex::platform {

// The brush's colour; false for the null brush (and an unknown one).
bool BrushColour(HBRUSH brush, COLORREF& colour);

inline QRgb ToQRgb(COLORREF colour) {
    return qRgb(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace tarvex::platform

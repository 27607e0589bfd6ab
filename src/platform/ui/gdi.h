// Drawing in the manner of the Windows graphics interface, on Qt images: device contexts with
// their colours and selected objects, bitmaps (colour and monochrome), solid brushes and fonts,
// and BitBlt with the raster operations the program uses.
//
// A memory context draws into the bitmap selected into it. The context a dialog's paint handler
// gets draws into an image of the client area that the window shows in one piece afterwards, so
// it can be read back as a screen context can. A context given to a colour handler (OnCtlColor)
// draws nothing: it collects the colours, background mode and font the control is to use.
#pragma once

#include <QImage>
#include <memory>

#include "platform/win32.h"

using COLORREF = DWORD;  // 0x00BBGGRR
constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
    return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
           (static_cast<COLORREF>(blue) << 16);
}

inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD SRCAND = 0x008800C6;
inline constexpr DWORD SRCINVERT = 0x00660046;
inline constexpr DWORD DSTANDNOTSRC = 0x00220326;  // destination AND NOT source
inline constexpr int MM_TEXT = 1;
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr UINT CTLCOLOR_EDIT = 1;
inline constexpr UINT CTLCOLOR_BTN = 3;
inline constexpr UINT CTLCOLOR_DLG = 4;
inline constexpr UINT CTLCOLOR_STATIC = 6;
inline constexpr int NULL_BRUSH = 5;

// The system's colours, from the desktop's palette.
COLORREF GetSysColor(int index);

struct BITMAP {
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    WORD bmPlanes = 0;
    WORD bmBitsPixel = 0;
};

class CBitmap {
  public:
    // Bitmap resource `id`: the file bitmaps/<id>.bmp among the program's resources.
    BOOL LoadBitmap(UINT id);
    // A monochrome bitmap when `planes` and `bitsPerPixel` are 1, else a colour one.
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel);
    BOOL CreateCompatibleBitmap(class CDC* dc, int width, int height);
    int GetBitmap(BITMAP* description) const;
    BOOL DeleteObject();
    bool IsMonochrome() const { return monochrome_; }
    QImage& Image() { return image_; }

  private:
    QImage image_;
    bool monochrome_ = false;
};

// A solid brush, or the stock brush that paints nothing (GetStockObject(NULL_BRUSH)).
using HBRUSH = struct HBRUSH__*;
HBRUSH CreateSolidBrush(COLORREF colour);
HBRUSH GetStockBrush(int stock);
HBRUSH GetSysColorBrush(int index);
BOOL DeleteObject(HBRUSH brush);
namespace tarvex::platform {
// The brush's colour; false for the null brush (and an unknown one).
bool BrushColour(HBRUSH brush, COLORREF& colour);
}  // namespace tarvex::platform

struct LOGFONTW {
    LONG lfHeight = 0;
    BYTE lfUnderline = 0;
    BYTE lfWeight = 0;
};

class CFont {
  public:
    BOOL CreateFontIndirect(const LOGFONTW* font);
    const LOGFONTW& Description() const { return font_; }
    bool IsCreated() const { return created_; }

  private:
    LOGFONTW font_;
    bool created_ = false;
};

class CDC {
  public:
    CDC();
    // A context that draws into `image` (a paint context's client area).
    explicit CDC(QImage* image);
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();
    // Selects `bitmap` and returns the one selected before (null at first).
    CBitmap* SelectObject(CBitmap* bitmap);
    CFont* SelectObject(CFont* font);
    int SetMapMode(int mode);
    int GetMapMode() const { return mapMode_; }
    COLORREF SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const { return bkColour_; }
    COLORREF SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const { return textColour_; }
    int SetBkMode(int mode);
    int GetBkMode() const { return bkMode_; }
    CFont* GetSelectedFont() const { return font_; }
    // Which colours a colour handler set (the rest are the control's own).
    bool TextColourSet() const { return textSet_; }
    bool BkColourSet() const { return bkSet_; }

    // Copies a width by height block of `source` at (sx, sy) to (x, y), combined by `rop`.
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop);

  private:
    QImage* Surface() const;

    QImage* target_ = nullptr;  // a paint context's client area
    CBitmap* bitmap_ = nullptr;
    CFont* font_ = nullptr;
    bool memory_ = false;
    int mapMode_ = MM_TEXT;
    COLORREF bkColour_ = RGB(255, 255, 255);
    COLORREF textColour_ = RGB(0, 0, 0);
    int bkMode_ = OPAQUE;
    bool textSet_ = false;
    bool bkSet_ = false;
};

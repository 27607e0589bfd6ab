// Drawing in the manner of the class library's GDI wrappers: device contexts with their colours
// and selected objects, bitmaps (colour and monochrome) and fonts, and BitBlt with any raster
// operation. On Windows each object is the system's own (an HDC, an HBITMAP, an HFONT); on Linux
// the window backend draws into images.
//
// A memory context draws into the bitmap selected into it. The context a dialog's paint handler
// gets draws into the client area and can be read back as a screen context can. A context given
// to a colour handler (OnCtlColor) takes the colours, background mode and font the control is
// to be drawn with.
#pragma once

#include <memory>

#include "platform/ui/win32_ui.h"

class CDC;

class CBitmap {
  public:
    CBitmap();
    ~CBitmap();
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // The bitmap resource `id` of the program, drawn for a 96-dpi screen. On a screen of
    // another resolution it comes scaled to it, as the window's controls and text are.
    BOOL LoadBitmap(UINT id);
    // A monochrome bitmap when `planes` and `bitsPerPixel` are 1, else a colour one.
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel);
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    int GetBitmap(BITMAP* description) const;
    BOOL DeleteObject();

    struct Impl;  // the window backend's bitmap
    Impl& Native() const { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};

class CFont {
  public:
    CFont();
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    BOOL CreateFontIndirect(const LOGFONTW* font);
    bool IsCreated() const;

    struct Impl;  // the window backend's font
    Impl& Native() const { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};

class CDC {
  public:
    CDC();
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();
    // Selects `bitmap` (or `font`) and returns the one selected before (null at first).
    CBitmap* SelectObject(CBitmap* bitmap);
    CFont* SelectObject(CFont* font);
    int SetMapMode(int mode);
    int GetMapMode() const;
    // Of the device's facts, its resolution: LOGPIXELSX and LOGPIXELSY, in dots per inch. Qt
    // lays out and scales in pixels of a 96-dpi screen, so there they are always 96.
    int GetDeviceCaps(int index) const;
    COLORREF SetBkColor(COLORREF colour);
    COLORREF SetTextColor(COLORREF colour);
    int SetBkMode(int mode);

    // Fills the rectangle with `colour`, as a solid brush would.
    void FillSolidRect(int x, int y, int width, int height, COLORREF colour);
    // The colour of the pixel at (x, y); CLR_INVALID outside the drawing surface.
    COLORREF GetPixel(int x, int y) const;
    // Draws `icon` at its system size with its top left corner at (x, y).
    BOOL DrawIcon(int x, int y, HICON icon);
    // The system's handle of the context, for the messages that carry one.
    HDC GetSafeHdc() const;

    // Copies a width by height block of `source` at (sx, sy) to (x, y), combined with what is
    // there by the raster operation `rop` (one that takes no brush).
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop);

    struct Impl;  // the window backend's context
    explicit CDC(std::unique_ptr<Impl> impl);
    Impl& Native() const { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};

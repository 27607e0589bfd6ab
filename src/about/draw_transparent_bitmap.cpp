#include "about/draw_transparent_bitmap.h"

namespace {
// The raster operation "destination AND NOT source", which has no name of its own.
constexpr DWORD kDestinationAndNotSource = 0x00220326;
}  // namespace

int ScreenPixels(const CDC& dc, int pixelsAt96Dpi) {
    constexpr int kDefaultDpi = 96;
    const int dpi = dc.GetDeviceCaps(LOGPIXELSY);
    return dpi > 0 ? (pixelsAt96Dpi * dpi + kDefaultDpi / 2) / kDefaultDpi : pixelsAt96Dpi;
}

void DrawTransparentBitmap(CDC* target, int x, int y, UINT bitmapId, COLORREF transparent) {
    if (target == nullptr) return;
    CBitmap image;
    if (!image.LoadBitmap(bitmapId)) return;
    BITMAP size;
    image.GetBitmap(&size);
    const int w = size.bmWidth;
    const int h = size.bmHeight;
    const int mapMode = target->GetMapMode();

    CDC imageDc;
    imageDc.CreateCompatibleDC(target);
    CBitmap* imageOld = imageDc.SelectObject(&image);
    imageDc.SetMapMode(mapMode);

    // The mask: white where the image has the transparent colour, black elsewhere.
    CDC maskDc;
    maskDc.CreateCompatibleDC(target);
    maskDc.SetMapMode(mapMode);
    CBitmap mask;
    mask.CreateBitmap(w, h, 1, 1);
    CBitmap* maskOld = maskDc.SelectObject(&mask);
    imageDc.SetBkColor(transparent);
    maskDc.BitBlt(0, 0, w, h, &imageDc, 0, 0, SRCCOPY);

    // The sprite: the image with its transparent pixels black.
    CDC spriteDc;
    spriteDc.CreateCompatibleDC(target);
    spriteDc.SetMapMode(mapMode);
    CBitmap sprite;
    sprite.CreateCompatibleBitmap(&imageDc, w, h);
    CBitmap* spriteOld = spriteDc.SelectObject(&sprite);
    spriteDc.BitBlt(0, 0, w, h, &imageDc, 0, 0, SRCCOPY);
    spriteDc.BitBlt(0, 0, w, h, &maskDc, 0, 0, kDestinationAndNotSource);

    // The work area: the target's pixels kept where the image is transparent, the sprite's
    // everywhere else; then one copy to the target.
    CDC workDc;
    workDc.CreateCompatibleDC(target);
    workDc.SetMapMode(mapMode);
    CBitmap work;
    work.CreateCompatibleBitmap(&imageDc, w, h);
    CBitmap* workOld = workDc.SelectObject(&work);
    workDc.BitBlt(0, 0, w, h, target, x, y, SRCCOPY);
    workDc.BitBlt(0, 0, w, h, &maskDc, 0, 0, SRCAND);
    workDc.BitBlt(0, 0, w, h, &spriteDc, 0, 0, SRCINVERT);
    target->BitBlt(x, y, w, h, &workDc, 0, 0, SRCCOPY);

    imageDc.SelectObject(imageOld);
    maskDc.SelectObject(maskOld);
    spriteDc.SelectObject(spriteOld);
    workDc.SelectObject(workOld);
    mask.DeleteObject();
    sprite.DeleteObject();
    work.DeleteObject();
    image.DeleteObject();
    imageDc.DeleteDC();
    maskDc.DeleteDC();
    spriteDc.DeleteDC();
    workDc.DeleteDC();
}

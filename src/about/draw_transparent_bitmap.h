// Draws a bitmap resource so that its pixels of exactly one colour leave the target as it was,
// in a single write to the target (no flicker).
#pragma once

#include "platform/ui/gdi.h"

void DrawTransparentBitmap(CDC* target, int x, int y, UINT bitmapId, COLORREF transparent);

// A distance in pixels of a 96-dpi screen, in pixels of `dc`'s device: the dialogs place their
// bitmaps as their controls are placed, in proportion to the screen's resolution.
int ScreenPixels(const CDC& dc, int pixelsAt96Dpi);

// Draws a bitmap resource so that its pixels of exactly one colour leave the target as it was,
// in a single write to the target (no flicker).
#pragma once

#include "platform/ui/gdi.h"

void DrawTransparentBitmap(CDC* target, int x, int y, UINT bitmapId, COLORREF transparent);

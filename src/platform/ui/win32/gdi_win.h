// Private to the Win32 window backend: the class library's GDI objects as the system's own.
#pragma once

#include "platform/ui/gdi.h"

struct CBitmap::Impl {
    HBITMAP bitmap = nullptr;
};

struct CFont::Impl {
    HFONT font = nullptr;
};

struct CDC::Impl {
    HDC dc = nullptr;
    bool owned = false;  // a memory context of this object's, deleted with it
    // What a memory context held before the first selection, put back as it goes.
    HGDIOBJ firstBitmap = nullptr;
    HGDIOBJ firstFont = nullptr;
    CBitmap* bitmap = nullptr;
    CFont* font = nullptr;
};

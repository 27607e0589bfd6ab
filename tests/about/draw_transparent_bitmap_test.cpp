// The logo drawn over a background through the class library's GDI: the logo's white leaves
// the background, and every other pixel is the logo's.
#include "about/draw_transparent_bitmap.h"

#include <gtest/gtest.h>

#include "about/resource.h"

namespace {

constexpr COLORREF kBackground = RGB(200, 30, 40);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A memory context drawing into a colour bitmap of its own.
struct MemoryDc {
    MemoryDc(int width, int height) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(width, height, 1, 32);
        previous = dc.SelectObject(&bitmap);
    }
    ~MemoryDc() {
        dc.SelectObject(previous);
        bitmap.DeleteObject();
        dc.DeleteDC();
    }
    CDC dc;
    CBitmap bitmap;
    CBitmap* previous = nullptr;
};

TEST(DrawTransparentBitmap, WhiteLeavesTheTargetAndTheRestIsTheLogo) {
    CBitmap logo;
    ASSERT_TRUE(logo.LoadBitmap(IDB_LOGO));
    BITMAP size;
    ASSERT_NE(logo.GetBitmap(&size), 0);
    EXPECT_EQ(size.bmWidth, 113);
    EXPECT_EQ(size.bmHeight, 75);
    CDC logoDc;
    logoDc.CreateCompatibleDC(nullptr);
    CBitmap* logoOld = logoDc.SelectObject(&logo);

    MemoryDc target(140, 100);
    target.dc.FillSolidRect(0, 0, 140, 100, kBackground);
    DrawTransparentBitmap(&target.dc, 10, 7, IDB_LOGO, kWhite);
    int white = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 140; ++x) {
            const bool inside = x >= 10 && x < 123 && y >= 7 && y < 82;
            const COLORREF source = inside ? logoDc.GetPixel(x - 10, y - 7) : kWhite;
            if (inside && source == kWhite) ++white;
            ASSERT_EQ(target.dc.GetPixel(x, y), source == kWhite ? kBackground : source)
                << x << "," << y;
        }
    }
    EXPECT_GT(white, 1000) << "the logo has a white background";
    logoDc.SelectObject(logoOld);

    DrawTransparentBitmap(nullptr, 0, 0, IDB_LOGO, 0);      // no target: nothing
    DrawTransparentBitmap(&target.dc, 0, 0, 4242, kWhite);  // no such bitmap: nothing
    EXPECT_EQ(target.dc.GetPixel(0, 0), kBackground);
    EXPECT_EQ(target.dc.GetPixel(139, 99), kBackground);
}

}  // namespace

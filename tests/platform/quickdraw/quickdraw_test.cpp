#include "platform/quickdraw/QuickDraw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/TestFrames.h"

using namespace testframes;

namespace {

constexpr Pixel cRed{255, 255, 0, 0};

TEST(NewGWorld, RefusesWhatItCannotMake) {
    GWorldPtr gw = reinterpret_cast<GWorldPtr>(1);
    const Rect empty = {0, 0, 0, 10}, inverted = {5, 5, 0, 0}, fine = {0, 0, 4, 4};
    EXPECT_EQ(NewGWorld(&gw, 32, &empty, nullptr, nullptr, 0), paramErr);
    EXPECT_EQ(gw, nullptr);
    EXPECT_EQ(NewGWorld(&gw, 32, &inverted, nullptr, nullptr, 0), paramErr);
    EXPECT_EQ(NewGWorld(&gw, 16, &fine, nullptr, nullptr, 0), paramErr);
    EXPECT_EQ(NewGWorld(&gw, 32, nullptr, nullptr, nullptr, 0), paramErr);
}

TEST(NewGWorld, BoundsStartAtOriginAndRowsAreAligned) {
    const Rect r = {30, 50, 130, 251};  // 201 wide, 100 high, not at the origin
    GWorldPtr gw = nullptr;
    ASSERT_EQ(NewGWorld(&gw, 32, &r, nullptr, nullptr, 0), noErr);
    Rect bounds;
    GetPortBounds(gw, &bounds);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, 201);
    EXPECT_EQ(bounds.bottom, 100);
    PixMapHandle pm = GetGWorldPixMap(gw);
    EXPECT_GE(GetPixRowBytes(pm), 201 * 4);
    EXPECT_EQ(GetPixRowBytes(pm) % 64, 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(GetPixBaseAddr(pm)) % 64, 0u);

    const GWorldFlags before = GetPixelsState(pm);
    LockPixels(pm);
    EXPECT_TRUE(GetPixelsState(pm) & pixelsLocked);
    SetPixelsState(pm, before);
    EXPECT_EQ(GetPixelsState(pm), before);

    // A buffer that stops existing also stops being current.
    SetGWorld(gw, nullptr);
    DisposeGWorld(gw);
    CGrafPtr current;
    GetGWorld(&current, nullptr);
    EXPECT_EQ(current, nullptr);
}

TEST(CopyBits, SameSizeCopiesAreExactOpaqueAndClipped) {
    GWorldHolder src = MakeGWorld(9, 7), dst = MakeGWorld(9, 7);
    FillPattern(src.get(), 1);
    for (int x = 0; x < 9; ++x) SetPixel(src.get(), x, 0, Pixel{0, 1, 2, 3});  // transparent row
    Fill(dst.get(), cRed);
    // Shifted two right and one down: the source's right edge falls off.
    const Rect from = {0, 0, 7, 9}, to = {1, 2, 8, 11};
    CopyBits(GetPortBitMapForCopyBits(src.get()), GetPortBitMapForCopyBits(dst.get()), &from, &to,
             srcCopy, nullptr);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 9; ++x) {
            const Pixel got = PixelAt(dst.get(), x, y);
            if (y < 1 || x < 2) {
                EXPECT_EQ(got, cRed) << x << "," << y;
            } else {
                Pixel want = PixelAt(src.get(), x - 2, y - 1);
                want.a = 255;
                EXPECT_EQ(got, want) << x << "," << y;
            }
        }
    }
}

TEST(CopyBits, ScalesByNearestPixelAndStaysInsideBothMaps) {
    GWorldHolder src = MakeGWorld(4, 2), dst = MakeGWorld(8, 4);
    FillPattern(src.get(), 2);
    const Rect from = {0, 0, 2, 4}, to = {0, 0, 4, 8};
    CopyBits(GetPortBitMapForCopyBits(src.get()), GetPortBitMapForCopyBits(dst.get()), &from, &to,
             srcCopy, nullptr);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(PixelAt(dst.get(), x, y), PixelAt(src.get(), x / 2, y / 2));

    // A source rectangle reaching past the source map copies only what exists.
    Fill(dst.get(), cRed);
    const Rect past = {0, 2, 2, 6};  // columns 4 and 5 do not exist
    CopyBits(GetPortBitMapForCopyBits(src.get()), GetPortBitMapForCopyBits(dst.get()), &past, &to,
             srcCopy, nullptr);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(PixelAt(dst.get(), 3, y), PixelAt(src.get(), 3, y / 2));
        EXPECT_EQ(PixelAt(dst.get(), 4, y), cRed);
    }
}

TEST(Painting, PaintsWithThePortColourInsideThePort) {
    GWorldHolder gw = MakeGWorld(5, 5);
    Fill(gw.get(), Pixel{0, 0, 0, 0});
    CGrafPtr saved;
    GDHandle savedDevice;
    GetGWorld(&saved, &savedDevice);
    SetGWorld(gw.get(), nullptr);
    const RGBColor blue = {0, 0, 0xFFFF};
    RGBForeColor(&blue);
    const Rect r = {-3, 3, 2, 99};  // clipped to columns 3..4, rows 0..1
    PaintRect(&r);
    SetGWorld(saved, savedDevice);
    const Pixel painted{255, 0, 0, 255}, untouched{0, 0, 0, 0};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(PixelAt(gw.get(), x, y), (x >= 3 && y < 2) ? painted : untouched);
}

// What the clip control draws with: a clip that every painting call keeps
// to, inverted colours, and the rings of the framing handles.
TEST(Painting, ClipInvertAndOvalStayInsideTheClip) {
    GWorldHolder gw = MakeGWorld(16, 16);
    Fill(gw.get(), Pixel{255, 10, 20, 30});
    CGrafPtr saved;
    GDHandle savedDevice;
    GetGWorld(&saved, &savedDevice);
    SetGWorld(gw.get(), nullptr);
    const Rect clip = {0, 0, 16, 8};
    ClipRect(&clip);
    const Rect all = {0, 0, 16, 16};
    InvertRect(&all);
    const RGBColor black = {0, 0, 0};
    RGBForeColor(&black);
    const Rect oval = {2, 2, 14, 14};  // 12 across, as a handle's outer ring
    FrameOval(&oval);
    SetGWorld(saved, savedDevice);

    EXPECT_EQ(PixelAt(gw.get(), 9, 5), (Pixel{255, 10, 20, 30}));  // right of the clip
    EXPECT_EQ(PixelAt(gw.get(), 5, 5), (Pixel{255, 245, 235, 225}));
    const Pixel ring{255, 0, 0, 0};
    EXPECT_EQ(PixelAt(gw.get(), 2, 8), ring);   // leftmost column, middle row
    EXPECT_EQ(PixelAt(gw.get(), 7, 2), ring);   // top row, middle
    EXPECT_NE(PixelAt(gw.get(), 3, 8), ring);   // one pixel wide
    EXPECT_NE(PixelAt(gw.get(), 2, 2), ring);   // corners of the box are outside the oval
    EXPECT_NE(PixelAt(gw.get(), 13, 8), ring);  // clipped away
}

TEST(Rects, PointsInsideAndRectanglesFromTwoCorners) {
    const Rect r = {10, 20, 30, 40};
    EXPECT_TRUE(PtInRect(Point{10, 20}, &r));
    EXPECT_FALSE(PtInRect(Point{30, 20}, &r));  // bottom and right edges are outside
    EXPECT_FALSE(PtInRect(Point{10, 40}, &r));
    Rect turned;
    Pt2Rect(Point{50, 60}, Point{5, 70}, &turned);
    EXPECT_EQ(turned.top, 5);
    EXPECT_EQ(turned.left, 60);
    EXPECT_EQ(turned.bottom, 50);
    EXPECT_EQ(turned.right, 70);
    Rect inset = r;
    InsetRect(&inset, 2, 3);
    EXPECT_EQ(inset.left, 22);
    EXPECT_EQ(inset.bottom, 27);
}

// Frames lent in R G B A keep that order: painting packs the colour so, and
// copies between the two orders move the bytes, both ways and scaled.
TEST(PixelFormats, PaintingAndCopyingKeepEachBuffersByteOrder) {
    uint8_t rgba[2 * 2 * 4] = {};
    const Rect bounds = {0, 0, 2, 2};
    GWorldPtr lent = nullptr, own = nullptr;
    ASSERT_EQ(NewGWorldFromPtr(&lent, k32RGBAPixelFormat, &bounds, nullptr, nullptr, 0,
                               reinterpret_cast<Ptr>(rgba), 8),
              noErr);
    ASSERT_EQ(NewGWorld(&own, 32, &bounds, nullptr, nullptr, 0), noErr);
    SetGWorld(lent, nullptr);
    const RGBColor colour = {0x1100, 0x2200, 0x3300};
    RGBForeColor(&colour);
    PaintRect(&bounds);
    EXPECT_EQ((std::vector<uint8_t>(rgba, rgba + 4)),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0xFF}));

    CopyBits(GetPortBitMapForCopyBits(lent), GetPortBitMapForCopyBits(own), &bounds, &bounds,
             srcCopy, nullptr);
    const auto* argb = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(GetGWorldPixMap(own)));
    EXPECT_EQ((std::vector<uint8_t>(argb, argb + 4)),
              (std::vector<uint8_t>{0xFF, 0x11, 0x22, 0x33}));

    std::fill(rgba, rgba + sizeof rgba, 0);
    const Rect one = {0, 0, 1, 1};
    CopyBits(GetPortBitMapForCopyBits(own), GetPortBitMapForCopyBits(lent), &one, &bounds, srcCopy,
             nullptr);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ((std::vector<uint8_t>(rgba + 4 * i, rgba + 4 * i + 4)),
                  (std::vector<uint8_t>{0x11, 0x22, 0x33, 0xFF}))
            << "pixel " << i;
    SetGWorld(nullptr, nullptr);
    DisposeGWorld(lent);
    DisposeGWorld(own);
}

}  // namespace

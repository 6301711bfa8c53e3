// What callers rely on, through the public calls: placement and orientation
// of images, alpha, clears, fills, grid strokes, snapshots and the bridge.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/quartz/QuartzDrawPath.h"
#include "tests/platform/quartz/QuartzTestSupport.h"

namespace hz::quartz::test {
namespace {

constexpr float cQuarterTurn = 1.57079633f;
const Argb cBlack{255, 0, 0, 0};
const Argb cRed{255, 255, 0, 0};
const Argb cBlue{255, 0, 0, 255};
const Argb cZero{0, 0, 0, 0};

// Every image test runs on each path: they must all keep the same promises.
class QuartzImage : public testing::TestWithParam<DrawPath> {
  protected:
    void SetUp() override {
        saved_ = CurrentDrawPath();
        SetDrawPath(GetParam());
    }
    void TearDown() override { SetDrawPath(saved_); }

  private:
    DrawPath saved_ = DrawPath::kSimd;
};

std::string PathName(const testing::TestParamInfo<DrawPath>& info) {
    switch (info.param) {
        case DrawPath::kPixman:
            return "Pixman";
        case DrawPath::kPortable:
            return "Portable";
        case DrawPath::kSimd:
            return "Simd";
    }
    return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(Paths, QuartzImage,
                         testing::Values(DrawPath::kPixman, DrawPath::kPortable, DrawPath::kSimd),
                         PathName);

TEST_P(QuartzImage, UprightImageCoversItsRectangleExactly) {
    Buffer source(200, 100);
    source.Randomize(3, true);
    CGImageRef image = source.Snapshot();
    Buffer target(200, 100, 3);
    target.Fill(cBlue);
    CGContextRef context = target.NewContext();
    DrawTurned(context, image, CGRect{{0, 0}, {200, 100}}, 0);
    CGContextRelease(context);
    CGImageRelease(image);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 200; ++x) ASSERT_EQ(target.Pixel(x, y), source.Pixel(x, y));
    EXPECT_TRUE(target.PaddingIntact());
}

// The first image row is red. A quarter turn counter-clockwise on screen
// carries it to the left edge of the middle square; the strips beside the
// square keep what they held.
TEST_P(QuartzImage, QuarterTurnFillsOnlyTheMiddleSquareCounterClockwise) {
    Buffer source(200, 100);
    source.Fill(cBlue);
    for (int32_t x = 0; x < 200; ++x) source.Set(x, 0, cRed);
    CGImageRef image = source.Snapshot();
    Buffer target(200, 100);
    CGContextRef context = target.NewContext();
    DrawTurned(context, image, CGRect{{0, 0}, {200, 100}}, cQuarterTurn);
    CGContextRelease(context);
    CGImageRelease(image);
    for (int32_t y = 0; y < 100; ++y) {
        for (int32_t x = 0; x < 200; ++x) {
            const Argb expected = x < 50 || x >= 150 ? cBlack : x == 50 ? cRed : cBlue;
            ASSERT_EQ(target.Pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST_P(QuartzImage, GlobalAlphaMixesHalfAndHalf) {
    Buffer source(20, 10);
    source.Fill(Argb{255, 255, 255, 255});
    CGImageRef image = source.Snapshot();
    Buffer target(20, 10);
    CGContextRef context = target.NewContext();
    CGContextSetAlpha(context, 0.5f);
    CGContextSetBlendMode(context, kCGBlendModeNormal);
    DrawTurned(context, image, CGRect{{0, 0}, {20, 10}}, 0);
    CGContextRelease(context);
    CGImageRelease(image);
    EXPECT_EQ(target.Pixel(7, 4), (Argb{255, 128, 128, 128}));
}

TEST_P(QuartzImage, FirstImageRowLandsAtTheTopThroughThePort) {
    Buffer source(16, 8);
    source.Fill(cBlue);
    for (int32_t x = 0; x < 16; ++x) source.Set(x, 0, cRed);
    CGImageRef image = source.Snapshot();

    Buffer screen(16, 8, 4);
    GrafPort port{};
    port.pixMap.baseAddr = reinterpret_cast<Ptr>(screen.bytes.data());
    port.pixMap.rowBytes = screen.rowBytes;
    port.portBounds = Rect{0, 0, 8, 16};
    CGContextRef context = nullptr;
    ASSERT_EQ(QDBeginCGContext(&port, &context), noErr);
    CGContextDrawImage(context, CGRect{{0, 0}, {16, 8}}, image);
    EXPECT_EQ(QDEndCGContext(&port, &context), noErr);
    EXPECT_EQ(context, nullptr);
    CGContextRelease(context);
    CGImageRelease(image);
    EXPECT_EQ(screen.Pixel(5, 0), cRed);
    EXPECT_EQ(screen.Pixel(5, 1), cBlue);
    EXPECT_EQ(screen.Pixel(5, 7), cBlue);
    EXPECT_TRUE(screen.PaddingIntact());
}

TEST(QuartzBridge, RefusesPortsWithoutPixels) {
    GrafPort port{};
    port.portBounds = Rect{0, 0, 8, 16};
    CGContextRef context = reinterpret_cast<CGContextRef>(&port);
    EXPECT_EQ(QDBeginCGContext(&port, &context), paramErr);
    EXPECT_EQ(context, nullptr);
    EXPECT_EQ(QDBeginCGContext(nullptr, &context), paramErr);
}

TEST(QuartzImages, SnapshotIsAnOpaqueCopyOfThatMoment) {
    Buffer buffer(4, 3);
    buffer.Set(1, 1, Argb{0, 0, 0, 0});
    buffer.Set(2, 1, Argb{128, 100, 50, 25});
    CGContextRef context = buffer.NewContext();
    CGImageRef image = CGBitmapContextCreateImage(context);
    CGImageRef copy = CGImageCreateCopy(image);
    EXPECT_EQ(CGImageRetain(copy), copy);
    CGImageRelease(copy);
    CGImageRelease(image);
    EXPECT_EQ(CGImageGetWidth(copy), 4u);
    EXPECT_EQ(CGImageGetHeight(copy), 3u);
    CGContextSetRGBFillColor(context, 0, 1, 0, 1);
    CGContextFillRect(context, CGRect{{0, 0}, {4, 3}});

    Buffer out(4, 3);
    CGContextRef drawn = out.NewContext();
    CGContextDrawImage(drawn, CGRect{{0, 0}, {4, 3}}, copy);
    CGContextRelease(drawn);
    CGImageRelease(copy);
    CGContextRelease(context);
    EXPECT_EQ(out.Pixel(0, 0), cBlack);
    EXPECT_EQ(out.Pixel(1, 1), cBlack);
    EXPECT_EQ(out.Pixel(2, 1), (Argb{255, 100, 50, 25}));
    CGImageRelease(nullptr);
    EXPECT_EQ(CGImageCreateCopy(nullptr), nullptr);
}

int lgReleasedBytes = 0;

// An image from a provider reads the memory where it lies: what the memory
// holds when the image is drawn is what appears, and the memory is given
// back only when the last image lets go of it.
TEST(QuartzImages, ProviderImageReadsTheLentMemory) {
    Buffer lent(6, 4, 2);
    lent.Fill(cRed);
    lgReleasedBytes = 0;
    CGDataProviderRef provider = CGDataProviderCreateWithData(
        nullptr, lent.bytes.data(), lent.bytes.size(),
        [](void*, const void*, size_t size) { lgReleasedBytes = static_cast<int>(size); });
    CGImageRef image = CGImageCreate(6, 4, 8, 32, static_cast<size_t>(lent.rowBytes), nullptr,
                                     kCGImageAlphaNoneSkipFirst, provider, nullptr, false,
                                     kCGRenderingIntentDefault);
    CGDataProviderRelease(provider);
    ASSERT_NE(image, nullptr);
    lent.Set(2, 1, Argb{0, 10, 20, 30});

    Buffer out(6, 4);
    CGContextRef context = out.NewContext();
    CGContextDrawImage(context, CGRect{{0, 0}, {6, 4}}, image);
    CGContextRelease(context);
    EXPECT_EQ(out.Pixel(2, 1), (Argb{255, 10, 20, 30}));
    EXPECT_EQ(out.Pixel(3, 3), cRed);
    EXPECT_EQ(lgReleasedBytes, 0);
    CGImageRelease(image);
    EXPECT_EQ(lgReleasedBytes, static_cast<int>(lent.bytes.size()));

    CGDataProviderRef tooSmall =
        CGDataProviderCreateWithData(nullptr, lent.bytes.data(), 40, nullptr);
    EXPECT_EQ(CGImageCreate(6, 4, 8, 32, static_cast<size_t>(lent.rowBytes), nullptr,
                            kCGImageAlphaNoneSkipFirst, tooSmall, nullptr, false,
                            kCGRenderingIntentDefault),
              nullptr);
    EXPECT_EQ(CGImageCreate(6, 4, 8, 32, static_cast<size_t>(lent.rowBytes), nullptr,
                            kCGImageAlphaPremultipliedLast, tooSmall, nullptr, false,
                            kCGRenderingIntentDefault),
              nullptr);
    CGDataProviderRelease(tooSmall);
}

// A fill of the whole context may wait for the next image, but whatever
// comes next sees it: a snapshot, a partial fill, the context's release.
TEST(QuartzRects, WholeFillReachesThePixelsBeforeAnythingElse) {
    Buffer target(8, 6);
    CGContextRef context = target.NewContext();
    CGContextSetRGBFillColor(context, 0, 0, 1, 1);
    CGContextFillRect(context, CGRect{{0, 0}, {8, 6}});
    CGImageRef snapshot = CGBitmapContextCreateImage(context);
    CGContextSetRGBFillColor(context, 1, 0, 0, 1);
    CGContextFillRect(context, CGRect{{-2, -2}, {20, 20}});
    CGContextSetRGBFillColor(context, 0, 1, 0, 1);
    CGContextFillRect(context, CGRect{{0, 0}, {1, 1}});
    CGContextRelease(context);
    EXPECT_EQ(target.Pixel(0, 5), (Argb{255, 0, 255, 0}));
    EXPECT_EQ(target.Pixel(4, 2), cRed);

    Buffer out(8, 6);
    CGContextRef drawn = out.NewContext();
    CGContextDrawImage(drawn, CGRect{{0, 0}, {8, 6}}, snapshot);
    CGContextRelease(drawn);
    CGImageRelease(snapshot);
    EXPECT_EQ(out.Pixel(4, 2), cBlue);
}

TEST(QuartzContexts, AcceptsOnlyEightBitLayoutsWithAlphaFirstOrLastSkippedOrPremultiplied) {
    struct Layout {
        size_t bitsPerComponent, bytesPerRow;
        CGBitmapInfo info;
        bool accepted;
    };
    const Layout layouts[] = {
        {8, 64, kCGImageAlphaPremultipliedFirst, true},
        {8, 80, kCGImageAlphaNoneSkipFirst, true},
        {8, 64, kCGImageAlphaPremultipliedLast, true},
        {8, 64, kCGImageAlphaNoneSkipLast, true},
        {8, 64, kCGImageAlphaLast, false},
        {8, 64, kCGImageAlphaNone, false},
        {16, 128, kCGImageAlphaPremultipliedFirst, false},
        {8, 60, kCGImageAlphaPremultipliedFirst, false},
        {8, 66, kCGImageAlphaPremultipliedFirst, false},
        {8, 64, kCGImageAlphaPremultipliedFirst | 0x2000, false},
    };
    std::vector<uint32_t> memory(64 * 4);
    for (const Layout& l : layouts) {
        CGContextRef context = CGBitmapContextCreate(memory.data(), 16, 4, l.bitsPerComponent,
                                                     l.bytesPerRow, nullptr, l.info);
        EXPECT_EQ(context != nullptr, l.accepted)
            << l.bitsPerComponent << " " << l.bytesPerRow << " " << l.info;
        CGContextRelease(context);
    }
    CGContextRef own =
        CGBitmapContextCreate(nullptr, 16, 4, 8, 0, nullptr, kCGImageAlphaPremultipliedFirst);
    EXPECT_NE(own, nullptr);
    CGContextRelease(own);
}

TEST(QuartzRects, ClearAndFillHitWholePixels) {
    Buffer target(12, 10, 1);
    target.Fill(cBlue);
    CGContextRef context = target.NewContext();
    CGContextTranslateCTM(context, 2, 1);
    CGContextClearRect(context, CGRect{{1, 2}, {3, 4}});  // pixels x 3..5, rows 3..6 from the top
    CGContextSetRGBFillColor(context, 1, 0.5f, 0, 0.5f);
    CGContextFillRect(context, CGRect{{5, 6}, {2, 1}});  // x 7..8, row 2
    CGContextRelease(context);
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 12; ++x) {
            Argb expected = cBlue;
            if (x >= 3 && x < 6 && y >= 3 && y < 7) expected = cZero;
            if (x >= 7 && x < 9 && y == 2) expected = Argb{255, 128, 64, 127};
            ASSERT_EQ(target.Pixel(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_TRUE(target.PaddingIntact());
}

TEST(QuartzRects, TurnedClearZeroesWhatItCovers) {
    Buffer target(40, 40);
    target.Fill(cBlue);
    CGContextRef context = target.NewContext();
    CGContextTranslateCTM(context, 20, 20);
    CGContextRotateCTM(context, 0.3f);
    CGContextClearRect(context, CGRect{{-10, -10}, {20, 20}});
    CGContextRelease(context);
    EXPECT_EQ(target.Pixel(20, 20), cZero);
    EXPECT_EQ(target.Pixel(13, 20), cZero);
    EXPECT_EQ(target.Pixel(2, 2), cBlue);
    EXPECT_EQ(target.Pixel(36, 20), cBlue);
}

// The dialog's grid: a y-down user space, half-transparent white lines every
// 40 units on a 120x80 port, the last ones on the right and bottom edges.
TEST(QuartzStrokes, GridLinesAreCrispAndCrossingsPaintedOnce) {
    Buffer target(120, 80);
    CGContextRef context = target.NewContext();
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, 0, 80);
    CGContextScaleCTM(context, 1, -1);
    CGContextSetRGBStrokeColor(context, 1, 1, 1, 0.5f);
    CGContextBeginPath(context);
    for (float x = 40; x <= 120; x += 40) {
        CGContextMoveToPoint(context, x, 0);
        CGContextAddLineToPoint(context, x, 80);
    }
    for (float y = 40; y <= 80; y += 40) {
        CGContextMoveToPoint(context, 0, y);
        CGContextAddLineToPoint(context, 120, y);
    }
    CGContextStrokePath(context);
    CGContextRestoreGState(context);
    CGContextRelease(context);
    const Argb line{255, 128, 128, 128};
    for (int32_t y = 0; y < 80; ++y) {
        for (int32_t x = 0; x < 120; ++x) {
            const bool onLine = x == 39 || x == 79 || x == 119 || y == 39 || y == 79;
            ASSERT_EQ(target.Pixel(x, y), onLine ? line : cBlack) << x << "," << y;
        }
    }
}

TEST(QuartzStrokes, StrokedRectangleIsAClosedOnePixelOutline) {
    Buffer target(20, 20);
    CGContextRef context = target.NewContext();
    CGContextSetRGBStrokeColor(context, 1, 0, 0, 1);
    CGContextSetLineWidth(context, 1);
    CGContextStrokeRect(context, CGRect{{5, 5}, {10, 8}});
    CGContextRelease(context);
    // Bottom-left origin: y 5..13 up is rows 15 down to 7; the outline takes
    // the pixels just up and left of each edge.
    for (int32_t y = 0; y < 20; ++y) {
        for (int32_t x = 0; x < 20; ++x) {
            const bool inBox = x >= 4 && x <= 14 && y >= 6 && y <= 14;
            const bool edge = x == 4 || x == 14 || y == 6 || y == 14;
            ASSERT_EQ(target.Pixel(x, y), inBox && edge ? cRed : cBlack) << x << "," << y;
        }
    }
}

// After the restore the default state draws: no move, full alpha, black.
TEST(QuartzState, RestoreBringsBackTransformAlphaAndColour) {
    Buffer target(10, 10);
    target.Fill(cBlue);
    CGContextRef context = target.NewContext();
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, 5, 5);
    CGContextSetAlpha(context, 0);
    CGContextSetRGBFillColor(context, 1, 0, 0, 1);
    CGContextRestoreGState(context);
    CGContextRestoreGState(context);
    CGContextFillRect(context, CGRect{{0, 0}, {1, 1}});
    CGContextRelease(context);
    EXPECT_EQ(target.Pixel(0, 9), cBlack);
    EXPECT_EQ(target.Pixel(5, 4), cBlue);
}

}  // namespace
}  // namespace hz::quartz::test

// The fast image paths held against pixman's composite on the same inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

#include "platform/quartz/QuartzDrawPath.h"
#include "platform/quartz/QuartzWarp.h"
#include "tests/platform/quartz/QuartzTestSupport.h"

namespace hz::quartz::test {
namespace {

class PathGuard {
  public:
    PathGuard() : saved_(CurrentDrawPath()) {}
    ~PathGuard() { SetDrawPath(saved_); }

  private:
    DrawPath saved_;
};

TEST(QuartzSpan, MatchesBruteForce) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 2000; ++trial) {
        const int64_t base = static_cast<int64_t>(random() % 4000001) - 2000000;
        const int64_t step = static_cast<int64_t>(random() % 200001) - 100000;
        const int64_t lo = static_cast<int64_t>(random() % 2000001) - 1000000;
        const int64_t hi = lo + static_cast<int64_t>(random() % 3000000) - 100000;
        const int32_t first = static_cast<int32_t>(random() % 60) - 20;
        const int32_t end = first + static_cast<int32_t>(random() % 80);
        const Span span = SolveSpan(base, step, lo, hi, first, end);
        for (int32_t x = first; x < end; ++x) {
            const int64_t value = base + x * step;
            const bool inRange = value >= lo && value <= hi;
            ASSERT_EQ(inRange, x >= span.begin && x < span.end)
                << "base " << base << " step " << step << " lo " << lo << " hi " << hi << " x "
                << x;
        }
    }
}

struct DrawCase {
    const char* name;
    int32_t imageWidth, imageHeight;
    int32_t width, height, padPixels;
    float degrees, scaleX, scaleY, offsetX, offsetY, alpha;
    bool opaqueBackground;
};

const DrawCase cDrawCases[] = {
    {"upright one to one", 61, 47, 64, 48, 3, 0, 1, 1, 0, 0, 1, true},
    {"upright enlarged", 61, 47, 80, 60, 1, 0, 1.2f, 1.2f, 0, 0, 1, true},
    {"turned two degrees", 101, 67, 97, 71, 5, 2, 1.2f, 1.2f, 0, 0, 1, true},
    {"turned back and reduced", 101, 67, 97, 71, 0, -2, 0.7f, 0.8f, 0.5f, 0.25f, 1, false},
    {"quarter turn", 60, 40, 64, 64, 2, 90, 1, 1, 0, 0, 1, true},
    {"partly off-screen", 90, 70, 64, 48, 1, 30, 1.5f, 1.5f, 40, -30, 1, false},
    {"half alpha", 73, 51, 77, 53, 7, 2, 1.1f, 1.1f, 0, 0, 0.5f, false},
    {"stretched unevenly", 33, 21, 91, 63, 0, 7, 2.6f, 0.5f, -3, 2, 1, true},
    {"one column image", 1, 17, 40, 30, 1, 10, 20, 1, 0, 0, 1, true},
    {"strong reduction", 200, 150, 50, 40, 3, 3, 0.2f, 0.2f, 0, 0, 1, true},
    {"wide frame crossing many image rows", 700, 400, 641, 361, 1, 2, 1.2f, 1.2f, 0, 0, 1, true},
};

// With `background`, the whole context is filled with an opaque colour
// first, which the fast paths paint in the same pass as the picture.
Buffer DrawWith(DrawPath path, const DrawCase& c, CGImageRef image, bool background) {
    Buffer target(c.width, c.height, c.padPixels);
    target.Randomize(99, c.opaqueBackground);
    SetDrawPath(path);
    CGContextRef context = target.NewContext();
    if (background) {
        CGContextSetRGBFillColor(context, 0.2f, 0.4f, 0.8f, 1);
        CGContextFillRect(
            context, CGRect{{0, 0}, {static_cast<float>(c.width), static_cast<float>(c.height)}});
    }
    CGContextSetAlpha(context, c.alpha);
    const float w = c.imageWidth * c.scaleX, h = c.imageHeight * c.scaleY;
    const float cx = c.width / 2.0f + c.offsetX, cy = c.height / 2.0f + c.offsetY;
    DrawTurned(context, image, CGRect{{cx - w / 2, cy - h / 2}, {w, h}},
               c.degrees * 3.14159265f / 180);
    CGContextRelease(context);
    return target;
}

// Both paths sample through the same 16.16 matrix with the same weights and
// rounding, so they should agree exactly; one level of slack per channel
// leaves room for a pixman build whose combiners round differently, and no
// more than a pixel in fifty may use it.
constexpr int cChannelTolerance = 1;

TEST(QuartzDrawPaths, FastPathsMatchPixman) {
    PathGuard guard;
    for (const bool background : {false, true}) {
        for (const DrawCase& c : cDrawCases) {
            SCOPED_TRACE(std::string(c.name) + (background ? ", on a filled background" : ""));
            Buffer source(c.imageWidth, c.imageHeight);
            source.Randomize(static_cast<uint32_t>(c.imageWidth * 31 + c.imageHeight), true);
            CGImageRef image = source.Snapshot();
            ASSERT_NE(image, nullptr);

            Buffer reference = DrawWith(DrawPath::kPixman, c, image, background);
            Buffer portable = DrawWith(DrawPath::kPortable, c, image, background);
            Buffer simd = DrawWith(DrawPath::kSimd, c, image, background);
            CGImageRelease(image);

            EXPECT_TRUE(reference.PaddingIntact());
            EXPECT_TRUE(portable.PaddingIntact());
            EXPECT_TRUE(simd.bytes == portable.bytes) << "SIMD rows differ from the portable rows";

            int worst = 0, differing = 0, changed = 0;
            Buffer untouched(c.width, c.height, c.padPixels);
            untouched.Randomize(99, c.opaqueBackground);
            for (int32_t y = 0; y < c.height; ++y) {
                for (int32_t x = 0; x < c.width; ++x) {
                    const Argb a = reference.Pixel(x, y), b = portable.Pixel(x, y);
                    int diff = 0;
                    for (int i = 0; i < 4; ++i) diff = std::max(diff, std::abs(a[i] - b[i]));
                    worst = std::max(worst, diff);
                    differing += diff != 0;
                    changed += untouched.Pixel(x, y) != b;
                }
            }
            EXPECT_LE(worst, cChannelTolerance);
            EXPECT_LE(differing, c.width * c.height / 50);
            EXPECT_GT(changed, 0) << "nothing was drawn";
        }
    }
}

}  // namespace
}  // namespace hz::quartz::test

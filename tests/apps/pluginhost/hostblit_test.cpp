#include "apps/pluginhost/HostBlit.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/TestFrames.h"

using namespace testframes;

namespace {

int Expected(int s, int d, int a) { return (s * a + d * (255 - a) + 127) / 255; }

TEST(HostBlit, BlendsEveryChannelWithTheOpacityAndClips) {
    // Odd widths exercise the tail after the four-pixel blocks.
    for (int width : {1, 5, 17}) {
        for (int opacity : {-5, 0, 1, 128, 254, 255, 300}) {
            GWorldHolder src = MakeGWorld(width, 3), dst = MakeGWorld(width, 3);
            FillPattern(src.get(), 1);
            FillPattern(dst.get(), 2);
            GWorldHolder before = MakeGWorld(width, 3);
            FillPattern(before.get(), 2);
            const Rect all = {0, 0, 3, static_cast<int16_t>(width)};
            const Rect shifted = {1, 0, 4, static_cast<int16_t>(width)};  // last row falls off
            pluginhost::BlendPixMaps(src->pixMap, dst->pixMap, all, shifted, opacity);
            const int a = std::clamp(opacity, 0, 255);
            for (int x = 0; x < width; ++x) {
                EXPECT_EQ(PixelAt(dst.get(), x, 0), PixelAt(before.get(), x, 0));
                for (int y = 1; y < 3; ++y) {
                    const Pixel s = PixelAt(src.get(), x, y - 1), d = PixelAt(before.get(), x, y);
                    const Pixel got = PixelAt(dst.get(), x, y);
                    ASSERT_EQ(got.a, 255);
                    ASSERT_EQ(got.r, Expected(s.r, d.r, a)) << width << " " << opacity;
                    ASSERT_EQ(got.g, Expected(s.g, d.g, a));
                    ASSERT_EQ(got.b, Expected(s.b, d.b, a));
                }
            }
        }
    }
}

TEST(HostBlit, ScalesTheSourceWhenTheRectanglesDiffer) {
    GWorldHolder src = MakeGWorld(2, 2), dst = MakeGWorld(4, 4);
    FillPattern(src.get(), 3);
    Fill(dst.get(), Pixel{255, 0, 0, 0});
    pluginhost::BlendPixMaps(src->pixMap, dst->pixMap, Rect{0, 0, 2, 2}, Rect{0, 0, 4, 4}, 255);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(PixelAt(dst.get(), x, y), PixelAt(src.get(), x / 2, y / 2));
}

}  // namespace

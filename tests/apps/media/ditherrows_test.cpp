#include "apps/media/DitherRows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// One 16-bit value in every channel of a picture whose rows are `pad`
// samples longer than its width; alpha given or opaque.
struct Case {
    int width, height, pad;
    uint16_t value;
    bool alpha;
};

TEST(DitherRows, LevelsStayExactAndValuesBetweenThemKeepTheirMean) {
    const Case cases[] = {
        {64, 64, 0, 257 * 100, false},         // an 8-bit level: no noise at all
        {63, 33, 5, 257 * 100 + 64, false},    // a quarter of the way up, odd width
        {65, 40, 3, 257 * 17 + 128, true},     // half way
        {128, 64, 0, 257 * 200 + 250, false},  // just under the next level
        {31, 31, 1, 65535, false},             // the top stays the top
        {31, 31, 1, 0, true},
    };
    for (const Case& c : cases) {
        const int rowSamples = c.width + c.pad;
        std::vector<uint16_t> plane(static_cast<size_t>(rowSamples) * c.height, c.value);
        const auto* bytes = reinterpret_cast<const uint8_t*>(plane.data());
        const int stride = rowSamples * 2;
        const media::Rgb16Planes from = {{bytes, bytes, bytes, c.alpha ? bytes : nullptr},
                                         {stride, stride, stride, stride}};
        const int argbStride = c.width * 4 + 12;
        std::vector<uint8_t> argb(static_cast<size_t>(argbStride) * c.height, 0xEE);
        media::DitherRgb16ToArgb(from, c.width, c.height, argb.data(), argbStride);

        const int low = c.value / 257;
        double sum = 0;
        for (int y = 0; y < c.height; ++y) {
            const uint8_t* row = argb.data() + static_cast<size_t>(y) * argbStride;
            for (int x = 0; x < c.width; ++x) {
                const uint8_t* p = row + x * 4;
                ASSERT_EQ(p[0], c.alpha ? (c.value + 128) / 257 : 255) << c.value;
                ASSERT_TRUE(p[1] == p[2] && p[2] == p[3]) << "grey turned colour at " << x;
                ASSERT_TRUE(p[1] == low || p[1] == low + 1) << c.value << ": " << int(p[1]);
                if (c.value % 257 == 0) {
                    ASSERT_EQ(p[1], low) << "noise on a level";
                }
                sum += p[1];
            }
            for (int k = c.width * 4; k < argbStride; ++k)
                ASSERT_EQ(row[k], 0xEE) << "wrote past the row";
        }
        EXPECT_NEAR(sum / (c.width * c.height), c.value / 257.0, 0.06) << c.value;
    }
}

}  // namespace

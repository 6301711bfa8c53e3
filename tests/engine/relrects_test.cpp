#include "engine/relrects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "record/PluginData.h"

namespace {

Rect R(int left, int top, int right, int bottom) {
    return Rect{static_cast<int16_t>(top), static_cast<int16_t>(left), static_cast<int16_t>(bottom),
                static_cast<int16_t>(right)};
}

TEST(Rel2Rect, TruncatesTowardZeroBeforeAddingTheFrameEdge) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        RelRect rel;
        Rect frame, want;
    } cases[] = {
        {{0, 1, 0, 1}, R(0, 0, 720, 480), R(0, 0, 720, 480)},
        {{0.1, 0.9, 0.25, 0.75}, R(0, 0, 720, 480), R(72, 120, 648, 360)},
        {{-0.0007, 1, 0, 1}, R(0, 0, 720, 480), R(0, 0, 720, 480)},  // -0.504 becomes 0, not -1
        {{0.1, 0.9, 0.25, 0.75}, R(20, 10, 740, 490), R(92, 130, 668, 370)},
        // Values from an edited file saturate rather than wrap or fault.
        {{NAN, 1e9, -inf, 1}, R(0, 0, 720, 480), R(0, -32768, 32767, 480)},
    };
    for (const Case& c : cases) {
        const Rect got = Rel2Rect(c.rel, c.frame);
        EXPECT_EQ(got.left, c.want.left);
        EXPECT_EQ(got.top, c.want.top);
        EXPECT_EQ(got.right, c.want.right);
        EXPECT_EQ(got.bottom, c.want.bottom);
    }
}

TEST(Rect2Rel, RoundTripIsExactOnlyForPowersOfTwo) {
    const RelRect whole = Rect2Rel(R(30, 40, 750, 520), R(30, 40, 750, 520));
    EXPECT_EQ(whole.left, 0.0);
    EXPECT_EQ(whole.right, 1.0);
    EXPECT_EQ(whole.top, 0.0);
    EXPECT_EQ(whole.bottom, 1.0);

    const Rect frame720 = R(0, 0, 720, 480);
    EXPECT_EQ(Rel2Rect(Rect2Rel(R(13, 0, 720, 480), frame720), frame720).left, 12);
    const Rect frame512 = R(0, 0, 512, 256);
    for (int edge = 0; edge <= 256; ++edge) {
        const Rect back = Rel2Rect(Rect2Rel(R(edge, edge, 512, 256), frame512), frame512);
        ASSERT_EQ(back.left, edge);
        ASSERT_EQ(back.top, edge);
    }
}

TEST(Rect2Rel, AFrameWithoutAreaGivesTheWholeFrame) {
    const RelRect rel = Rect2Rel(R(5, 5, 10, 10), R(0, 0, 0, 480));
    EXPECT_EQ(rel.left, 0.0);
    EXPECT_EQ(rel.right, 1.0);
    EXPECT_EQ(rel.top, 0.0);
    EXPECT_EQ(rel.bottom, 1.0);
}

TEST(CalcTweenRect, TheFramingIsTheSameOnEveryFrame) {
    PluginDataRec config{};
    config.startRel = {0.1, 0.9, 0.25, 0.75};
    config.endRel = {0.3, 0.4, 0.3, 0.4};
    const Rect first = CalcTweenRect(&config, R(0, 0, 720, 480), 0, 100);
    const Rect last = CalcTweenRect(&config, R(0, 0, 720, 480), 99, 100);
    EXPECT_EQ(first.left, 72);
    EXPECT_EQ(last.left, 72);
    EXPECT_EQ(first.bottom, last.bottom);
}

}  // namespace

// The preview's grid: a line every 40 pixels from the spacing on, the last
// on the far edge when the size is a multiple of it.
#include "dialog/sliderHandlers.h"

#include <gtest/gtest.h>

#include "tests/support/TestFrames.h"

namespace {

using testframes::Pixel;

TEST(AddCGGrid, LinesFromTheSpacingToTheFarEdgeHalfCovering) {
    testframes::GWorldHolder gw = testframes::MakeGWorld(720, 480);
    testframes::Fill(gw.get(), Pixel{255, 0, 0, 0});
    AddCGGrid(gw.get(), 1.0, 1.0, 1.0, 40, 40, 0.5);
    std::vector<int> columns, rows;
    for (int x = 0; x < 720; ++x)
        if (testframes::PixelAt(gw.get(), x, 5).r != 0) columns.push_back(x);
    for (int y = 0; y < 480; ++y)
        if (testframes::PixelAt(gw.get(), 5, y).r != 0) rows.push_back(y);
    ASSERT_EQ(columns.size(), 18u);
    ASSERT_EQ(rows.size(), 12u);
    // A one-pixel line on a pixel boundary covers the column left of it and
    // the row above it.
    EXPECT_EQ(columns.front(), 39);
    EXPECT_EQ(columns.back(), 719);
    EXPECT_EQ(rows.front(), 39);
    EXPECT_EQ(rows.back(), 479);
    const Pixel p = testframes::PixelAt(gw.get(), 39, 5);
    EXPECT_NEAR(p.r, 128, 1);
    EXPECT_EQ(p.r, p.b);
}

}  // namespace

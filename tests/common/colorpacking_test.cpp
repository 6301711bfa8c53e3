#include <gtest/gtest.h>

#include "common/commonprocs.h"

namespace {

TEST(ColourPacking, KeepsTheHighByteOfEachComponent) {
    const RGBColor c = LongInt2RGBColor(0x00FF8001);
    EXPECT_EQ(c.red, 65280);
    EXPECT_EQ(c.green, 32768);
    EXPECT_EQ(c.blue, 256);
    EXPECT_EQ(RGBColor2LongInt(RGBColor{65535, 32896, 255}), 0x00FF8000);
    EXPECT_EQ(LongInt2RGBColor(RGBColor2LongInt(RGBColor{65535, 0, 0})).red, 0xFF00);
    EXPECT_EQ(RGBColor2LongInt(LongInt2RGBColor(static_cast<int32_t>(0xAB123456))), 0x123456);
    EXPECT_EQ(SetRGBColor(-1, 0, 1).red, 65535);
}

}  // namespace

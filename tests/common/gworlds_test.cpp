#include <gtest/gtest.h>

#include "common/commonprocs.h"

namespace {

TEST(Buffers, AllocatedAtOriginAndCleared) {
    GWorldPtr gw = AllocateRectGWorld(Rect{30, 50, 130, 250});
    ASSERT_NE(gw, nullptr);
    const Rect bounds = GetPortRect(gw);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, 200);
    EXPECT_EQ(bounds.bottom, 100);
    EXPECT_TRUE(GetPixelsState(GetGWorldPixMap(gw)) & pixelsLocked);
    CGrafPtr before;
    GetGWorld(&before, nullptr);
    ClearGW(gw, RGBColor{0x1200, 0x3400, 0x5600});
    CGrafPtr after;
    GetGWorld(&after, nullptr);
    EXPECT_EQ(before, after);
    const auto* p = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(GetGWorldPixMap(gw)));
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0x12);
    EXPECT_EQ(p[3], 0x56);
    EXPECT_EQ(gw->rgbFgColor.red, 0);  // foreground left black
    DisposeGWorld(gw);
    EXPECT_EQ(AllocateRectGWorld(Rect{0, 0, 5, 0}), nullptr);
    EXPECT_NE(AllocationError(), noErr);
}

}  // namespace

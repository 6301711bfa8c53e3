#include <gtest/gtest.h>

#include "common/commonprocs.h"

namespace {

Rect R(int left, int top, int right, int bottom) {
    Rect r;
    SetRect(&r, static_cast<int16_t>(left), static_cast<int16_t>(top), static_cast<int16_t>(right),
            static_cast<int16_t>(bottom));
    return r;
}

void ExpectRect(Rect got, Rect want) {
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

TEST(ProportionalFit, HoldsTheSideThatOrientationPicks) {
    struct Case {
        Rect picture, frame, want;
    } cases[] = {
        {R(0, 0, 400, 300), R(0, 0, 200, 100), R(0, 0, 200, 150)},  // may exceed the frame
        {R(0, 0, 480, 640), R(0, 0, 320, 240), R(0, 0, 180, 240)},
        {R(0, 0, 640, 480), R(0, 0, 320, 240), R(0, 0, 320, 240)},
        {R(0, 0, 300, 400), R(0, 0, 100, 200), R(0, 0, 150, 200)},
        {R(0, 0, 50, 50), R(0, 0, 200, 100), R(0, 0, 100, 100)},
        {R(0, 0, 50, 50), R(0, 0, 100, 100), R(0, 0, 100, 100)},
        {R(0, 0, 3, 2), R(0, 0, 100, 60), R(0, 0, 100, 67)},  // 66.67 rounds half up
        {R(0, 0, 720, 480), R(0, 0, 160, 120), R(0, 0, 160, 107)},
        {R(0, 0, 720, 480), R(35, 12, 195, 132), R(0, 0, 160, 107)},  // frame position ignored
        {R(0, 0, 10, 0), R(0, 0, 200, 100), R(0, 0, 200, 100)},  // degenerate picture: no division
    };
    for (const Case& c : cases)
        ExpectRect(CalcProportionalRectForFrame(c.picture, c.frame), c.want);
}

TEST(CenterRectInRect, TakesTheLowerWholeNumberAsCentre) {
    Rect r = R(0, 0, 150, 200);
    CenterRectInRect(&r, R(20, 10, 220, 110));
    ExpectRect(r, R(45, -40, 195, 160));
    Rect odd = R(0, 0, 5, 3);
    CenterRectInRect(&odd, R(0, 0, 10, 10));
    ExpectRect(odd, R(3, 4, 8, 7));
}

}  // namespace

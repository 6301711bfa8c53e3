#include <gtest/gtest.h>

#include <string>

#include "common/commonprocs.h"
#include "platform/text/TextUtils.h"

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

TEST(TextConversion, NumbersAndCommandCodes) {
    Str255 text;
    Num2Text(INT32_MIN, text);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), "-2147483648");
    Num2Text(0, text);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), "0");
    CommandID2Str(0x496E666F, text);  // 'Info'
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), "Info");
    CommandID2Str(0x6F6B0020, text);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), std::string("ok\0 ", 4));

    // Texts longer than a host's field are cut to fit, the zero byte kept.
    Str255 longText;
    CopyCStringToPascal(std::string(200, 'x').c_str(), longText);
    char field[32];
    CopyPascalStringToCBuffer(longText, field, sizeof field);
    EXPECT_EQ(std::string(field), std::string(31, 'x'));
    CopyCStringToPascal(std::string(300, 'y').c_str(), longText);
    EXPECT_EQ(longText[0], 255);

    const unsigned char roman[] = {3, 'a', 0x8E, 0xDB};  // a, e acute, euro sign
    CFStringRef s = MakeCFString(roman);
    char utf8[16];
    ASSERT_TRUE(CFStringGetCString(s, utf8, sizeof utf8, kCFStringEncodingUTF8));
    EXPECT_STREQ(utf8, "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(CFStringGetLength(s), 3);
    CFRelease(s);
}

TEST(Buffers, AllocatedAtOriginAndCleared) {
    GWorldPtr gw = AllocateRectGWorld(R(50, 30, 250, 130));
    ASSERT_NE(gw, nullptr);
    ExpectRect(GetPortRect(gw), R(0, 0, 200, 100));
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
    EXPECT_EQ(AllocateRectGWorld(R(0, 0, 0, 5)), nullptr);
    EXPECT_NE(AllocationError(), noErr);
}

}  // namespace

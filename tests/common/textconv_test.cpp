#include <gtest/gtest.h>

#include <string>

#include "common/commonprocs.h"
#include "platform/text/TextUtils.h"

namespace {

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

}  // namespace

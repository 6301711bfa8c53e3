#include "common/commonprocs.h"
#include "platform/text/TextUtils.h"

void Num2Text(int32_t theNum, Str255 theText) { NumToString(theNum, theText); }

CFStringRef MakeCFString(ConstStr255Param theText) {
    return CFStringCreateWithPascalString(kCFAllocatorDefault, theText, kCFStringEncodingMacRoman);
}

// Most significant byte first, so the text reads the same on either byte order.
void CommandID2Str(uint32_t theCommand, Str255 theText) {
    theText[0] = 4;
    theText[1] = static_cast<unsigned char>(theCommand >> 24);
    theText[2] = static_cast<unsigned char>(theCommand >> 16);
    theText[3] = static_cast<unsigned char>(theCommand >> 8);
    theText[4] = static_cast<unsigned char>(theCommand);
}

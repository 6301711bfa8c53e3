#include "common/commonprocs.h"

RGBColor SetRGBColor(int16_t r, int16_t g, int16_t b) {
    return RGBColor{static_cast<uint16_t>(r), static_cast<uint16_t>(g), static_cast<uint16_t>(b)};
}

int32_t PixRec2LongInt(PixRec thePixRec) {
    return thePixRec.red * 65536 + thePixRec.green * 256 + thePixRec.blue;
}

PixRec LongInt2PixRec(int32_t theLong) {
    const uint32_t v = static_cast<uint32_t>(theLong);
    return PixRec{0, static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                  static_cast<uint8_t>(v)};
}

int32_t RGBColor2LongInt(RGBColor theColor) {
    return PixRec2LongInt(PixRec{0, static_cast<uint8_t>(theColor.red >> 8),
                                 static_cast<uint8_t>(theColor.green >> 8),
                                 static_cast<uint8_t>(theColor.blue >> 8)});
}

RGBColor LongInt2RGBColor(int32_t theLong) {
    const PixRec p = LongInt2PixRec(theLong);
    return SetRGBColor(static_cast<int16_t>(p.red << 8), static_cast<int16_t>(p.green << 8),
                       static_cast<int16_t>(p.blue << 8));
}

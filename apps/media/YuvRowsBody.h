// The kernels' source, included once per instruction set: written plainly,
// in 32-bit integers, for the vectoriser. Everything here has internal
// linkage, so the forms built for different instruction sets stay apart.
#ifndef HZ_APPS_MEDIA_YUVROWSBODY_H
#define HZ_APPS_MEDIA_YUVROWSBODY_H

#include <bit>
#include <cstring>
#include <initializer_list>

#include "apps/media/YuvRows.h"

namespace media {
namespace {

inline int32_t Clamp255(int32_t x) { return x < 0 ? 0 : x > 255 ? 255 : x; }

inline uint32_t PackArgb(int32_t r, int32_t g, int32_t b) {
    if constexpr (std::endian::native == std::endian::little)
        return 0xFFu | uint32_t(r) << 8 | uint32_t(g) << 16 | uint32_t(b) << 24;
    else
        return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

inline uint32_t LoadPixel(const uint8_t* p) {
    uint32_t x;
    std::memcpy(&x, p, 4);
    return x;
}

// Shifts that bring a loaded pixel's red, green and blue to the low byte.
constexpr int kRedShift = std::endian::native == std::endian::little ? 8 : 16;
constexpr int kGreenShift = std::endian::native == std::endian::little ? 16 : 8;
constexpr int kBlueShift = std::endian::native == std::endian::little ? 24 : 0;

// Chroma is carried at eight times its value (3:1 between rows, 1:1
// between columns), so the matrix is applied once, at full precision.
void ToArgbRow(const uint8_t* y, const uint8_t* uNear, const uint8_t* uFar, const uint8_t* vNear,
               const uint8_t* vFar, uint8_t* argb, int width, const YuvMatrix& m,
               int16_t* scratch) {
    const int chromaWidth = (width + 1) / 2;
    int16_t* cu = scratch;
    int16_t* cv = cu + chromaWidth + 1;
    int16_t* u8 = cv + chromaWidth + 1;
    int16_t* v8 = u8 + width + 1;
    for (int i = 0; i < chromaWidth; ++i) {
        cu[i] = static_cast<int16_t>(3 * uNear[i] + uFar[i]);
        cv[i] = static_cast<int16_t>(3 * vNear[i] + vFar[i]);
    }
    cu[chromaWidth] = cu[chromaWidth - 1];
    cv[chromaWidth] = cv[chromaWidth - 1];
    for (int i = 0; i < chromaWidth; ++i) {
        u8[2 * i] = static_cast<int16_t>(2 * cu[i]);
        u8[2 * i + 1] = static_cast<int16_t>(cu[i] + cu[i + 1]);
        v8[2 * i] = static_cast<int16_t>(2 * cv[i]);
        v8[2 * i + 1] = static_cast<int16_t>(cv[i] + cv[i + 1]);
    }
    const int32_t yScale = m.yScale * 8, yOffset = m.yOffset, half = 1 << 18;
    const int32_t vToR = m.vToR, uToG = m.uToG, vToG = m.vToG, uToB = m.uToB;
    for (int x = 0; x < width; ++x) {
        const int32_t luma = (y[x] - yOffset) * yScale + half;
        const int32_t u = u8[x] - 8 * 128, v = v8[x] - 8 * 128;
        const int32_t r = Clamp255((luma + vToR * v) >> 19);
        const int32_t g = Clamp255((luma - uToG * u - vToG * v) >> 19);
        const int32_t b = Clamp255((luma + uToB * u) >> 19);
        const uint32_t pixel = PackArgb(r, g, b);
        std::memcpy(argb + 4 * x, &pixel, 4);
    }
}

void LumaRow(const uint8_t* argb, uint8_t* y, int width, const YuvMatrix& m) {
    const int32_t bias = (m.yOffset << 16) + (1 << 15);
    const int32_t fromR = m.yFromR, fromG = m.yFromG, fromB = m.yFromB;
    for (int x = 0; x < width; ++x) {
        const uint32_t p = LoadPixel(argb + 4 * x);
        const int32_t r = (p >> kRedShift) & 0xFF, g = (p >> kGreenShift) & 0xFF,
                      b = (p >> kBlueShift) & 0xFF;
        y[x] = static_cast<uint8_t>(Clamp255((fromR * r + fromG * g + fromB * b + bias) >> 16));
    }
}

// Per column and colour: -above + 3 first + 3 second - below. Restrict
// parameters spare the vectoriser its overlap checks, which are too many
// for it here.
void RowSums(const uint8_t* __restrict above, const uint8_t* __restrict first,
             const uint8_t* __restrict second, const uint8_t* __restrict below,
             int16_t* __restrict red, int16_t* __restrict green, int16_t* __restrict blue,
             int width) {
    for (int x = 0; x < width; ++x) {
        const uint32_t a = LoadPixel(above + 4 * x), p = LoadPixel(first + 4 * x),
                       q = LoadPixel(second + 4 * x), b = LoadPixel(below + 4 * x);
        const auto sum = [&](int shift) {
            const int32_t mid = ((p >> shift) & 0xFF) + ((q >> shift) & 0xFF);
            return static_cast<int16_t>(3 * mid - int32_t((a >> shift) & 0xFF) -
                                        int32_t((b >> shift) & 0xFF));
        };
        red[x] = sum(kRedShift);
        green[x] = sum(kGreenShift);
        blue[x] = sum(kBlueShift);
    }
}

// Chroma for columns 2i and rows 2j, 2j+1 is filtered [-1 2 6 2 -1]/8 across
// columns and [-1 3 3 -1]/4 across rows (edges repeated): the filters that
// the linear interpolation of ToArgbRow undoes exactly, so a picture that
// goes through both ways keeps its colours, and none folds back from above
// the chroma's resolution.
void FromArgbRow(const uint8_t* const argb[4], uint8_t* y0, uint8_t* y1, uint8_t* u, uint8_t* v,
                 int width, const YuvMatrix& m, int16_t* scratch) {
    LumaRow(argb[1], y0, width, m);
    if (y1) LumaRow(argb[2], y1, width, m);
    // Row sums with two repeated columns at each end.
    int16_t* sr = scratch + 2;
    int16_t* sg = sr + width + 4;
    int16_t* sb = sg + width + 4;
    RowSums(argb[0], argb[1], argb[2], argb[3], sr, sg, sb, width);
    for (int16_t* s : {sr, sg, sb}) {
        s[-2] = s[-1] = s[0];
        s[width] = s[width + 1] = s[width - 1];
    }
    const int32_t bias = (128 << 21) + (1 << 20);
    const int chromaWidth = (width + 1) / 2;
    const auto filtered = [](const int16_t* s, int x) {
        return 6 * s[x] + 2 * (s[x - 1] + s[x + 1]) - (s[x - 2] + s[x + 2]);
    };
    for (int i = 0; i < chromaWidth; ++i) {
        const int32_t r = filtered(sr, 2 * i), g = filtered(sg, 2 * i), b = filtered(sb, 2 * i);
        u[i] = static_cast<uint8_t>(
            Clamp255((m.uFromR * r + m.uFromG * g + m.uFromB * b + bias) >> 21));
        v[i] = static_cast<uint8_t>(
            Clamp255((m.vFromR * r + m.vFromG * g + m.vFromB * b + bias) >> 21));
    }
}

}  // namespace
}  // namespace media

#endif

// Buffers the Quartz tests draw into: rows of bytes alpha, red, green, blue,
// with spare bytes after each row that drawing must leave alone.
#ifndef HZ_TESTS_QUARTZ_SUPPORT_H
#define HZ_TESTS_QUARTZ_SUPPORT_H

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/quartz/CoreGraphics.h"

namespace hz::quartz::test {

using Argb = std::array<uint8_t, 4>;

constexpr uint8_t cPadByte = 0xA5;

struct Buffer {
    int32_t width;
    int32_t height;
    int32_t rowBytes;
    std::vector<uint8_t> bytes;

    Buffer(int32_t w, int32_t h, int32_t padPixels = 0)
        : width(w),
          height(h),
          rowBytes((w + padPixels) * 4),
          bytes(static_cast<size_t>(rowBytes) * h, cPadByte) {
        Fill(Argb{255, 0, 0, 0});
    }

    uint8_t* At(int32_t x, int32_t y) { return &bytes[static_cast<size_t>(y) * rowBytes + x * 4]; }
    Argb Pixel(int32_t x, int32_t y) {
        const uint8_t* p = At(x, y);
        return Argb{p[0], p[1], p[2], p[3]};
    }
    void Set(int32_t x, int32_t y, Argb c) {
        uint8_t* p = At(x, y);
        for (int i = 0; i < 4; ++i) p[i] = c[i];
    }
    void Fill(Argb c) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) Set(x, y, c);
    }
    // Valid premultiplied pixels, some of them partly or fully transparent.
    void Randomize(uint32_t seed, bool opaque) {
        std::mt19937 random(seed);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t a =
                    opaque ? 255 : static_cast<uint8_t>(random() % 4 == 0 ? 0 : random());
                Argb c{a, 0, 0, 0};
                for (int i = 1; i < 4; ++i) c[i] = static_cast<uint8_t>(a ? random() % (a + 1) : 0);
                Set(x, y, c);
            }
        }
    }
    bool PaddingIntact() const {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t b = width * 4; b < rowBytes; ++b)
                if (bytes[static_cast<size_t>(y) * rowBytes + b] != cPadByte) return false;
        return true;
    }
    CGContextRef NewContext() {
        CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
        CGContextRef context = CGBitmapContextCreate(
            bytes.data(), static_cast<size_t>(width), static_cast<size_t>(height), 8,
            static_cast<size_t>(rowBytes), space, kCGImageAlphaPremultipliedFirst);
        CGColorSpaceRelease(space);
        return context;
    }
    CGImageRef Snapshot() {
        CGContextRef context = NewContext();
        CGImageRef image = CGBitmapContextCreateImage(context);
        CGContextRelease(context);
        return image;
    }
};

// Draws `image` into rect, turned by `angle` about the rect's centre, as the
// plug-in's drawing glue does.
inline void DrawTurned(CGContextRef context, CGImageRef image, CGRect rect, float angle) {
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, rect.origin.x + rect.size.width / 2,
                          rect.origin.y + rect.size.height / 2);
    CGContextRotateCTM(context, angle);
    CGContextDrawImage(
        context,
        CGRect{{-rect.size.width / 2, -rect.size.height / 2}, {rect.size.width, rect.size.height}},
        image);
    CGContextRestoreGState(context);
}

}  // namespace hz::quartz::test

#endif

// Buffers with known content for tests: patterns, pixel access, comparison.
#ifndef HZ_TESTS_SUPPORT_TESTFRAMES_H
#define HZ_TESTS_SUPPORT_TESTFRAMES_H

#include <cstdint>
#include <memory>

#include "platform/quickdraw/QuickDraw.h"

namespace testframes {

struct GWorldDeleter {
    void operator()(GrafPort* gw) const { DisposeGWorld(gw); }
};
using GWorldHolder = std::unique_ptr<GrafPort, GWorldDeleter>;

struct Pixel {
    uint8_t a, r, g, b;
    bool operator==(const Pixel&) const = default;
};

GWorldHolder MakeGWorld(int width, int height);
Pixel PixelAt(GWorldPtr gw, int x, int y);
void SetPixel(GWorldPtr gw, int x, int y, Pixel p);
void Fill(GWorldPtr gw, Pixel p);
// Every pixel different from its neighbours, opaque; depends on a seed.
void FillPattern(GWorldPtr gw, uint32_t seed);
// The pattern's pixel at (x, y), as FillPattern writes it.
Pixel PatternAt(int x, int y, uint32_t seed);
// Largest channel difference over the rectangle (alpha included).
int MaxDifference(GWorldPtr a, GWorldPtr b, Rect area);

}  // namespace testframes

#endif

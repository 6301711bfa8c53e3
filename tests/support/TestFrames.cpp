#include "tests/support/TestFrames.h"

#include <algorithm>
#include <cstdlib>

namespace testframes {

namespace {
uint8_t* PixelPtr(GWorldPtr gw, int x, int y) {
    return reinterpret_cast<uint8_t*>(gw->pixMap.baseAddr) + y * gw->pixMap.rowBytes + 4 * x;
}
}  // namespace

GWorldHolder MakeGWorld(int width, int height) {
    const Rect bounds = {0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    GWorldPtr gw = nullptr;
    NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0);
    return GWorldHolder(gw);
}

Pixel PixelAt(GWorldPtr gw, int x, int y) {
    const uint8_t* p = PixelPtr(gw, x, y);
    return Pixel{p[0], p[1], p[2], p[3]};
}

void SetPixel(GWorldPtr gw, int x, int y, Pixel p) {
    uint8_t* d = PixelPtr(gw, x, y);
    d[0] = p.a;
    d[1] = p.r;
    d[2] = p.g;
    d[3] = p.b;
}

void Fill(GWorldPtr gw, Pixel p) {
    for (int y = 0; y < gw->portBounds.bottom; ++y)
        for (int x = 0; x < gw->portBounds.right; ++x) SetPixel(gw, x, y, p);
}

Pixel PatternAt(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^ seed;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return Pixel{255, static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8),
                 static_cast<uint8_t>(h >> 16)};
}

void FillPattern(GWorldPtr gw, uint32_t seed) {
    for (int y = 0; y < gw->portBounds.bottom; ++y)
        for (int x = 0; x < gw->portBounds.right; ++x) SetPixel(gw, x, y, PatternAt(x, y, seed));
}

int MaxDifference(GWorldPtr a, GWorldPtr b, Rect area) {
    int worst = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const Pixel p = PixelAt(a, x, y), q = PixelAt(b, x, y);
            worst = std::max({worst, std::abs(p.a - q.a), std::abs(p.r - q.r), std::abs(p.g - q.g),
                              std::abs(p.b - q.b)});
        }
    }
    return worst;
}

}  // namespace testframes

/* The objects behind the Quartz references and the helpers the drawing files
 * share. Not part of the public surface: only this layer and its tests
 * include it. */
#ifndef HZ_PLATFORM_QUARTZ_PRIVATE_H
#define HZ_PLATFORM_QUARTZ_PRIVATE_H

#include <pixman.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/memory/PixelMemory.h"
#include "platform/quartz/CoreGraphics.h"

namespace hz::quartz {

// Device pixels hold the bytes alpha, red, green, blue in memory, or red,
// green, blue, alpha in contexts and images made "last" (a host's frames
// that come that way); drawing reads them where they lie, in the order they
// lie in.
enum class ByteOrder : uint8_t { kAlphaFirst, kAlphaLast };

constexpr bool cLittleEndian = std::endian::native == std::endian::little;

// pixman names formats by the word, not by the bytes.
constexpr pixman_format_code_t DeviceFormat(ByteOrder order) {
    if (order == ByteOrder::kAlphaFirst) return cLittleEndian ? PIXMAN_b8g8r8a8 : PIXMAN_a8r8g8b8;
    return cLittleEndian ? PIXMAN_a8b8g8r8 : PIXMAN_r8g8b8a8;
}
constexpr pixman_format_code_t DeviceSkipFormat(ByteOrder order) {
    if (order == ByteOrder::kAlphaFirst) return cLittleEndian ? PIXMAN_b8g8r8x8 : PIXMAN_x8r8g8b8;
    return cLittleEndian ? PIXMAN_x8b8g8r8 : PIXMAN_r8g8b8x8;
}

// The device word of the four bytes.
inline uint32_t DeviceWord(ByteOrder order, uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t first[4] = {a, r, g, b};
    const uint8_t last[4] = {r, g, b, a};
    uint32_t word;
    std::memcpy(&word, order == ByteOrder::kAlphaFirst ? first : last, 4);
    return word;
}
inline uint32_t DeviceAlpha(ByteOrder order) { return DeviceWord(order, 0xFF, 0, 0, 0); }

// The blending arithmetic wants alpha in the word's top byte; the other
// three channels never mix, so their order does not matter to it.
template <ByteOrder kOrder>
inline uint32_t AlphaOnTop(uint32_t device) {
    if constexpr (kOrder == ByteOrder::kAlphaFirst)
        return cLittleEndian ? __builtin_bswap32(device) : device;
    else
        return cLittleEndian ? device : std::rotr(device, 8);
}
template <ByteOrder kOrder>
inline uint32_t AlphaBackInPlace(uint32_t word) {
    if constexpr (kOrder == ByteOrder::kAlphaFirst)
        return cLittleEndian ? __builtin_bswap32(word) : word;
    else
        return cLittleEndian ? word : std::rotl(word, 8);
}

// Coordinates in this layer are kept to what 16.16 fixed point can address.
constexpr int32_t cMaxDimension = 32767;

// Quartz's affine matrix: x' = a x + c y + tx, y' = b x + d y + ty.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    void Apply(double x, double y, double* outX, double* outY) const {
        *outX = a * x + c * y + tx;
        *outY = b * x + d * y + ty;
    }
    // The transform that applies `first`, then this one.
    Affine After(const Affine& first) const {
        Affine r;
        r.a = a * first.a + c * first.b;
        r.b = b * first.a + d * first.b;
        r.c = a * first.c + c * first.d;
        r.d = b * first.c + d * first.d;
        r.tx = a * first.tx + c * first.ty + tx;
        r.ty = b * first.tx + d * first.ty + ty;
        return r;
    }
    double Determinant() const { return a * d - b * c; }
    bool Invert(Affine* out) const {
        const double det = Determinant();
        if (!std::isfinite(det) || std::fabs(det) < 1e-12) return false;
        out->a = d / det;
        out->b = -b / det;
        out->c = -c / det;
        out->d = a / det;
        out->tx = (c * ty - d * tx) / det;
        out->ty = (b * tx - a * ty) / det;
        return true;
    }
};

struct Rgba {
    double red = 0, green = 0, blue = 0, alpha = 1;
};

struct GState {
    Affine ctm;
    double alpha = 1;
    CGBlendMode blendMode = kCGBlendModeNormal;
    Rgba fill;
    Rgba stroke;
    double lineWidth = 1;
};

struct DevicePoint {
    double x = 0;
    double y = 0;
};

struct Subpath {
    std::vector<DevicePoint> points;  // device space, as the CTM stood when each was added
    bool closed = false;
};

}  // namespace hz::quartz

struct CGColorSpace {
    std::atomic<int32_t> refs{1};
};

struct CGDataProvider {
    std::atomic<int32_t> refs{1};
    void* info = nullptr;
    const void* data = nullptr;
    size_t size = 0;
    CGDataProviderReleaseDataCallback release = nullptr;
};

// Every image is opaque: its pixels' alpha bytes are ignored and read as
// 255, which is what the buffers pictures come from hold.
struct CGImagePixels {
    int32_t width = 0;
    int32_t height = 0;
    ptrdiff_t stride = 0;             // in pixels
    const uint32_t* words = nullptr;  // device order
    hz::quartz::ByteOrder order = hz::quartz::ByteOrder::kAlphaFirst;
    std::unique_ptr<uint32_t, pixelmemory::Deleter> copy;  // a snapshot's own pixels
    CGDataProviderRef provider = nullptr;                  // or the pixels lent to it

    CGImagePixels() = default;
    CGImagePixels(const CGImagePixels&) = delete;
    CGImagePixels& operator=(const CGImagePixels&) = delete;
    ~CGImagePixels() { CGDataProviderRelease(provider); }
};

struct CGImage {
    std::atomic<int32_t> refs{1};
    std::shared_ptr<const CGImagePixels> pixels;
};

struct CGContext {
    std::atomic<int32_t> refs{1};
    uint8_t* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    ptrdiff_t rowBytes = 0;
    hz::quartz::ByteOrder order = hz::quartz::ByteOrder::kAlphaFirst;
    bool ownsData = false;
    pixman_image_t* target = nullptr;
    // An opaque fill of the whole context not yet painted: the next image
    // drawn paints it in the same pass (device word).
    bool fillPending = false;
    uint32_t pendingFill = 0;
    hz::quartz::GState state;
    std::vector<hz::quartz::GState> saved;
    std::vector<hz::quartz::Subpath> path;
};

namespace hz::quartz {

// User space to the memory layout of the pixels (origin top-left, y down).
inline Affine UserToPixels(const CGContext& ctx) {
    Affine flip;
    flip.d = -1;
    flip.ty = ctx.height;
    return flip.After(ctx.state.ctm);
}

// Paints a fill still pending; every operation that touches or hands out
// the pixels calls it first.
void SettleFill(CGContextRef context);

// Finite, with a non-zero width and height (either sign).
inline bool HasArea(const CGRect& r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height) && r.size.width != 0 && r.size.height != 0;
}

inline uint8_t UnitToByte(double v) {
    if (!(v > 0)) return 0;
    if (v >= 1) return 255;
    return static_cast<uint8_t>(std::lround(v * 255.0));
}

// A colour with the global alpha folded in, premultiplied, as pixman wants it.
inline pixman_color_t PremultipliedColor(const Rgba& c, double globalAlpha) {
    const double a = std::clamp(c.alpha, 0.0, 1.0) * std::clamp(globalAlpha, 0.0, 1.0);
    auto channel = [a](double v) {
        return static_cast<uint16_t>(UnitToByte(std::clamp(v, 0.0, 1.0) * a) * 257);
    };
    return pixman_color_t{channel(c.red), channel(c.green), channel(c.blue),
                          static_cast<uint16_t>(UnitToByte(a) * 257)};
}

// An edge at `edge` splits pixel indices so that [PixelEdge(lo), PixelEdge(hi))
// are the pixels whose centres lie between lo and hi: whole-number edges give
// exactly the pixels between them, and a hair of float error (a quarter turn
// in single precision) does not add or drop a column.
inline int32_t PixelEdge(double edge) {
    const double clamped = std::clamp(edge, -1.0e9, 1.0e9);
    return static_cast<int32_t>(std::ceil(clamped - 0.5 - 1.0 / 1024));
}

}  // namespace hz::quartz

#endif

#include "platform/quartz/QuartzWarp.h"

#include <algorithm>

#include "platform/quartz/QuartzPrivate.h"

namespace hz::quartz {

namespace {

constexpr int64_t cOne = 65536;

// Sum of the four taps with 7-bit weights, truncated, exactly as pixman's
// bilinear fetch rounds. Each 64-bit word carries two channels far enough
// apart that their 22-bit sums never meet.
inline uint32_t Bilinear(uint32_t tl, uint32_t tr, uint32_t bl, uint32_t br, uint32_t wx,
                         uint32_t wy) {
    const uint64_t wtl = (128 - wx) * (128 - wy);
    const uint64_t wtr = wx * (128 - wy);
    const uint64_t wbl = (128 - wx) * wy;
    const uint64_t wbr = wx * wy;
    auto alphaBlue = [](uint32_t p) { return static_cast<uint64_t>(p & 0xFF0000FFu); };
    auto redGreen = [](uint32_t p) {
        return (static_cast<uint64_t>(p & 0x00FF0000u) << 16) | (p & 0x0000FF00u);
    };
    const uint64_t ab =
        alphaBlue(tl) * wtl + alphaBlue(tr) * wtr + alphaBlue(bl) * wbl + alphaBlue(br) * wbr;
    const uint64_t rg =
        redGreen(tl) * wtl + redGreen(tr) * wtr + redGreen(bl) * wbl + redGreen(br) * wbr;
    return static_cast<uint32_t>(((ab >> 14) & 0xFF0000FFu) | ((rg >> 14) & 0x0000FF00u) |
                                 ((rg >> 30) & 0x00FF0000u));
}

// x * a / 255 per channel, rounded the way pixman's combiners round.
inline uint32_t MulUn8x4(uint32_t x, uint32_t a) {
    uint32_t rb = (x & 0x00FF00FFu) * a + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t ag = ((x >> 8) & 0x00FF00FFu) * a + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
}

inline uint32_t AddSaturateUn8x4(uint32_t x, uint32_t y) {
    uint32_t rb = (x & 0x00FF00FFu) + (y & 0x00FF00FFu);
    rb = (rb | (0x01000100u - ((rb >> 8) & 0x00010001u))) & 0x00FF00FFu;
    uint32_t ag = ((x >> 8) & 0x00FF00FFu) + ((y >> 8) & 0x00FF00FFu);
    ag = (ag | (0x01000100u - ((ag >> 8) & 0x00010001u))) & 0x00FF00FFu;
    return rb | (ag << 8);
}

inline uint32_t Over(uint32_t s, uint32_t d) {
    const uint32_t inverseAlpha = ~s >> 24;
    if (inverseAlpha == 0) return s;
    return AddSaturateUn8x4(MulUn8x4(d, inverseAlpha), s);
}

inline uint32_t TapOrClear(const WarpSource& src, int32_t x, int32_t y) {
    if (static_cast<uint32_t>(x) >= static_cast<uint32_t>(src.width) ||
        static_cast<uint32_t>(y) >= static_cast<uint32_t>(src.height)) {
        return 0;
    }
    return src.words[y * src.stride + x];
}

// Edge pixels (kBounded: taps may fall outside the image) and any pixel that
// needs blending with what the destination held.
template <bool kBounded>
void WarpBlendRow(uint32_t* dst, int32_t count, const WarpSource& src, int32_t u, int32_t v,
                  int32_t du, int32_t dv, uint32_t alpha) {
    // Unsigned steps: one step past the span may leave the 32-bit range.
    uint32_t uu = static_cast<uint32_t>(u), vv = static_cast<uint32_t>(v);
    for (int32_t i = 0; i < count; ++i, uu += du, vv += dv) {
        const int32_t x = static_cast<int32_t>(uu) >> 16;
        const int32_t y = static_cast<int32_t>(vv) >> 16;
        const uint32_t wx = (uu >> 9) & 127;
        const uint32_t wy = (vv >> 9) & 127;
        uint32_t s;
        if constexpr (kBounded) {
            s = Bilinear(TapOrClear(src, x, y), TapOrClear(src, x + 1, y),
                         TapOrClear(src, x, y + 1), TapOrClear(src, x + 1, y + 1), wx, wy);
        } else {
            const uint32_t* p = src.words + y * src.stride + x;
            s = Bilinear(p[0], p[1], p[src.stride], p[src.stride + 1], wx, wy);
        }
        if (alpha != 255) s = MulUn8x4(s, alpha);
        if (s == 0) continue;
        dst[i] = DeviceFromNative(Over(s, NativeFromDevice(dst[i])));
    }
}

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

Span Intersect(Span a, Span b) {
    Span r{std::max(a.begin, b.begin), std::min(a.end, b.end)};
    if (r.end < r.begin) r.end = r.begin;
    return r;
}

using OpaqueRow = void (*)(uint32_t*, int32_t, const WarpSource&, int32_t, int32_t, int32_t,
                           int32_t);

OpaqueRow PickOpaqueRow(WarpKernels kernels, const WarpSource& src, const WarpMap& map) {
#ifdef __SSE2__
    // The SIMD row forms tap offsets with 16-bit multiplies and steps four
    // pixels at a time in 32 bits.
    const int32_t cMaxStep = 1 << 28;
    if (kernels == WarpKernels::kSimd && src.stride <= cMaxDimension &&
        std::abs(map.dudx) < cMaxStep && std::abs(map.dvdx) < cMaxStep) {
        return WarpOpaqueRowSse2;
    }
#else
    (void)kernels;
    (void)src;
    (void)map;
#endif
    return WarpOpaqueRowPortable;
}

}  // namespace

Span SolveSpan(int64_t base, int64_t step, int64_t lo, int64_t hi, int32_t limitBegin,
               int32_t limitEnd) {
    const Span limit{limitBegin, std::max(limitBegin, limitEnd)};
    if (step == 0) return (base >= lo && base <= hi) ? limit : Span{limitBegin, limitBegin};
    int64_t first, last;
    if (step > 0) {
        first = CeilDiv(lo - base, step);
        last = FloorDiv(hi - base, step);
    } else {
        first = CeilDiv(hi - base, step);
        last = FloorDiv(lo - base, step);
    }
    first = std::clamp<int64_t>(first, limit.begin, limit.end);
    last = std::clamp<int64_t>(last + 1, limit.begin, limit.end);
    return Intersect(limit, Span{static_cast<int32_t>(first), static_cast<int32_t>(last)});
}

void WarpOpaqueRowPortable(uint32_t* dst, int32_t count, const WarpSource& src, int32_t u,
                           int32_t v, int32_t du, int32_t dv) {
    const uint32_t* words = src.words;
    const ptrdiff_t stride = src.stride;
    uint32_t uu = static_cast<uint32_t>(u), vv = static_cast<uint32_t>(v);
    for (int32_t i = 0; i < count; ++i, uu += du, vv += dv) {
        const uint32_t wx = (uu >> 9) & 127;
        const uint32_t wy = (vv >> 9) & 127;
        const uint32_t* p =
            words + (static_cast<int32_t>(vv) >> 16) * stride + (static_cast<int32_t>(uu) >> 16);
        dst[i] = DeviceFromNative(Bilinear(p[0], p[1], p[stride], p[stride + 1], wx, wy));
    }
}

void WarpBilinearOver(const WarpSource& src, const WarpTarget& dst, const WarpMap& map,
                      const WarpBox& box, uint8_t alpha, WarpKernels kernels) {
    if (alpha == 0 || src.width <= 0 || src.height <= 0) return;
    const int32_t x0 = std::max(box.x0, 0), x1 = std::min(box.x1, dst.width);
    const int32_t y0 = std::max(box.y0, 0), y1 = std::min(box.y1, dst.height);
    const bool replaces = src.opaque && alpha == 255;
    const OpaqueRow opaqueRow = PickOpaqueRow(kernels, src, map);
    const int64_t w = src.width, h = src.height;

    // A turned picture walks each destination row across many image rows;
    // tiles keep the image rows a tile reads few enough to stay in cache.
    constexpr int32_t cTileRows = 64;
    constexpr int32_t cTileColumns = 128;
    struct RowPlan {
        int64_t u = 0;
        int64_t v = 0;
        Span reach;   // footprint reaches the image
        Span inside;  // all four taps inside: no bounds checks
    };
    RowPlan plans[cTileRows];

    for (int32_t ty = y0; ty < y1; ty += cTileRows) {
        const int32_t rows = std::min(cTileRows, y1 - ty);
        for (int32_t r = 0; r < rows; ++r) {
            RowPlan& plan = plans[r];
            plan.u = map.u0 + int64_t{ty + r} * map.dudy;
            plan.v = map.v0 + int64_t{ty + r} * map.dvdy;
            // A tap index of -1 still reaches pixel 0 with its right-hand weight.
            plan.reach = Intersect(SolveSpan(plan.u, map.dudx, -cOne, w * cOne - 1, x0, x1),
                                   SolveSpan(plan.v, map.dvdx, -cOne, h * cOne - 1, x0, x1));
            plan.inside = Intersect(SolveSpan(plan.u, map.dudx, 0, (w - 1) * cOne - 1,
                                              plan.reach.begin, plan.reach.end),
                                    SolveSpan(plan.v, map.dvdx, 0, (h - 1) * cOne - 1,
                                              plan.reach.begin, plan.reach.end));
            if (plan.inside.begin == plan.inside.end) {
                plan.inside = Span{plan.reach.end, plan.reach.end};
            }
        }
        for (int32_t tx = x0; tx < x1; tx += cTileColumns) {
            const Span tile{tx, std::min(tx + cTileColumns, x1)};
            for (int32_t r = 0; r < rows; ++r) {
                const RowPlan& plan = plans[r];
                auto* row = reinterpret_cast<uint32_t*>(dst.rows + (ty + r) * dst.rowBytes);
                auto uAt = [&](int32_t x) {
                    return static_cast<int32_t>(plan.u + int64_t{x} * map.dudx);
                };
                auto vAt = [&](int32_t x) {
                    return static_cast<int32_t>(plan.v + int64_t{x} * map.dvdx);
                };
                const Span left = Intersect(tile, Span{plan.reach.begin, plan.inside.begin});
                const Span middle = Intersect(tile, plan.inside);
                const Span right = Intersect(tile, Span{plan.inside.end, plan.reach.end});
                WarpBlendRow<true>(row + left.begin, left.end - left.begin, src, uAt(left.begin),
                                   vAt(left.begin), map.dudx, map.dvdx, alpha);
                if (replaces) {
                    opaqueRow(row + middle.begin, middle.end - middle.begin, src, uAt(middle.begin),
                              vAt(middle.begin), map.dudx, map.dvdx);
                } else {
                    WarpBlendRow<false>(row + middle.begin, middle.end - middle.begin, src,
                                        uAt(middle.begin), vAt(middle.begin), map.dudx, map.dvdx,
                                        alpha);
                }
                WarpBlendRow<true>(row + right.begin, right.end - right.begin, src,
                                   uAt(right.begin), vAt(right.begin), map.dudx, map.dvdx, alpha);
            }
        }
    }
}

}  // namespace hz::quartz

#include "platform/quartz/QuartzWarp.h"

#include <algorithm>

#include "platform/quartz/QuartzPrivate.h"
#include "platform/quartz/QuartzWarpRows.h"

namespace hz::quartz {

namespace {

constexpr int64_t cOne = 65536;

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

inline uint32_t OpaqueTap(uint32_t device) { return NativeFromDevice(device) | 0xFF000000u; }

inline uint32_t TapOrClear(const WarpSource& src, int32_t x, int32_t y) {
    if (static_cast<uint32_t>(x) >= static_cast<uint32_t>(src.width) ||
        static_cast<uint32_t>(y) >= static_cast<uint32_t>(src.height)) {
        return 0;
    }
    return OpaqueTap(src.words[y * src.stride + x]);
}

// Edge pixels (kBounded: taps may fall outside the image) and any pixel that
// needs blending with what the destination held.
template <bool kBounded>
void WarpBlendRow(uint32_t* dst, int32_t count, const WarpSource& src, const WarpRow& row,
                  uint32_t alpha) {
    // Unsigned steps: one step past the span may leave the 32-bit range.
    uint32_t u = static_cast<uint32_t>(row.u), v = static_cast<uint32_t>(row.v);
    for (int32_t i = 0; i < count; ++i, u += row.du, v += row.dv) {
        const int32_t x = static_cast<int32_t>(u) >> 16;
        const int32_t y = static_cast<int32_t>(v) >> 16;
        const uint32_t wx = (u >> 9) & 127;
        const uint32_t wy = (v >> 9) & 127;
        uint32_t s;
        if constexpr (kBounded) {
            s = Bilinear(TapOrClear(src, x, y), TapOrClear(src, x + 1, y),
                         TapOrClear(src, x, y + 1), TapOrClear(src, x + 1, y + 1), wx, wy);
        } else {
            const uint32_t* p = src.words + y * src.stride + x;
            s = Bilinear(OpaqueTap(p[0]), OpaqueTap(p[1]), OpaqueTap(p[src.stride]),
                         OpaqueTap(p[src.stride + 1]), wx, wy);
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

void Fill(uint32_t* row, int32_t begin, int32_t end, const uint32_t* background) {
    if (background && begin < end) std::fill(row + begin, row + end, *background);
}

WarpRowKernel PickOpaqueRow(WarpKernels kernels, const WarpSource& src, const WarpMap& map) {
    // The vector rows form tap offsets with 16-bit multiplies and step
    // several pixels at a time in 32 bits.
    const int32_t cMaxStep = 1 << 27;
    if (kernels == WarpKernels::kSimd && src.stride <= cMaxDimension &&
        std::abs(map.dudx) < cMaxStep && std::abs(map.dvdx) < cMaxStep) {
        return UsableWarpRowKernels().back().kernel;
    }
    return WarpOpaqueRowPortable;
}

// How far on in a row's source the same column of a row this many rows
// further down reads: fetched early, it arrives by the time that row runs.
constexpr int32_t cPrefetchRows = 4;

ptrdiff_t PrefetchAhead(const WarpSource& src, const WarpMap& map) {
    const int64_t du = int64_t{map.dudy} * cPrefetchRows, dv = int64_t{map.dvdy} * cPrefetchRows;
    return static_cast<ptrdiff_t>((dv + cOne / 2) >> 16) * src.stride +
           static_cast<ptrdiff_t>((du + cOne / 2) >> 16);
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

void WarpBilinearOver(const WarpSource& src, const WarpTarget& dst, const WarpMap& map,
                      const WarpBox& box, uint8_t alpha, WarpKernels kernels,
                      const uint32_t* background) {
    const bool drawn = alpha != 0 && src.width > 0 && src.height > 0;
    if (!drawn && !background) return;
    const WarpBox area = background ? WarpBox{0, 0, dst.width, dst.height} : box;
    const int32_t x0 = std::max(area.x0, 0), x1 = std::min(area.x1, dst.width);
    const int32_t y0 = std::max(area.y0, 0), y1 = std::min(area.y1, dst.height);
    const bool replaces = alpha == 255;
    const WarpRowKernel opaqueRow = PickOpaqueRow(kernels, src, map);
    const ptrdiff_t ahead = PrefetchAhead(src, map);
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
            if (!drawn) {
                plan.reach = plan.inside = Span{x0, x0};
                continue;
            }
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
                auto at = [&](int32_t x) {
                    WarpRow args{src.words, src.stride, src.width, 0, 0, map.dudx, map.dvdx, ahead};
                    args.u = static_cast<int32_t>(plan.u + int64_t{x} * map.dudx);
                    args.v = static_cast<int32_t>(plan.v + int64_t{x} * map.dvdx);
                    return args;
                };
                const int32_t reachBegin = std::clamp(plan.reach.begin, tile.begin, tile.end);
                const int32_t reachEnd = std::clamp(plan.reach.end, reachBegin, tile.end);
                const Span left = Intersect(tile, Span{plan.reach.begin, plan.inside.begin});
                const Span middle = Intersect(tile, plan.inside);
                const Span right = Intersect(tile, Span{plan.inside.end, plan.reach.end});
                Fill(row, tile.begin, reachBegin, background);
                Fill(row, left.begin, left.end, background);
                WarpBlendRow<true>(row + left.begin, left.end - left.begin, src, at(left.begin),
                                   alpha);
                if (replaces) {
                    opaqueRow(row + middle.begin, middle.end - middle.begin, at(middle.begin));
                } else {
                    Fill(row, middle.begin, middle.end, background);
                    WarpBlendRow<false>(row + middle.begin, middle.end - middle.begin, src,
                                        at(middle.begin), alpha);
                }
                Fill(row, right.begin, right.end, background);
                WarpBlendRow<true>(row + right.begin, right.end - right.begin, src, at(right.begin),
                                   alpha);
                Fill(row, reachEnd, tile.end, background);
            }
        }
    }
}

}  // namespace hz::quartz

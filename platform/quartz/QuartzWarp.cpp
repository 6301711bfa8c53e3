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

template <ByteOrder kOrder>
inline uint32_t OpaqueTap(uint32_t device) {
    return AlphaOnTop<kOrder>(device) | 0xFF000000u;
}

template <ByteOrder kOrder>
inline uint32_t TapOrClear(const WarpSource& src, int32_t x, int32_t y) {
    if (static_cast<uint32_t>(x) >= static_cast<uint32_t>(src.width) ||
        static_cast<uint32_t>(y) >= static_cast<uint32_t>(src.height)) {
        return 0;
    }
    return OpaqueTap<kOrder>(src.words[y * src.stride + x]);
}

// Edge pixels (kBounded: taps may fall outside the image) and any pixel that
// needs blending with what the destination held.
template <bool kBounded, ByteOrder kOrder>
void WarpBlendRowIn(uint32_t* dst, int32_t count, const WarpSource& src, const WarpRow& row,
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
            s = Bilinear(TapOrClear<kOrder>(src, x, y), TapOrClear<kOrder>(src, x + 1, y),
                         TapOrClear<kOrder>(src, x, y + 1), TapOrClear<kOrder>(src, x + 1, y + 1),
                         wx, wy);
        } else {
            const uint32_t* p = src.words + y * src.stride + x;
            s = Bilinear(OpaqueTap<kOrder>(p[0]), OpaqueTap<kOrder>(p[1]),
                         OpaqueTap<kOrder>(p[src.stride]), OpaqueTap<kOrder>(p[src.stride + 1]), wx,
                         wy);
        }
        if (alpha != 255) s = MulUn8x4(s, alpha);
        if (s == 0) continue;
        dst[i] = AlphaBackInPlace<kOrder>(Over(s, AlphaOnTop<kOrder>(dst[i])));
    }
}

template <bool kBounded>
void WarpBlendRow(uint32_t* dst, int32_t count, const WarpSource& src, const WarpRow& row,
                  uint32_t alpha, ByteOrder order) {
    if (order == ByteOrder::kAlphaLast)
        WarpBlendRowIn<kBounded, ByteOrder::kAlphaLast>(dst, count, src, row, alpha);
    else
        WarpBlendRowIn<kBounded, ByteOrder::kAlphaFirst>(dst, count, src, row, alpha);
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
        return ChosenWarpRow();
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
    const uint32_t opaque = DeviceAlpha(dst.order);

    // Whole rows, one after the other: the next row reads nearly the same
    // image rows, which are still in cache, and the destination is written
    // in order (tiles of a few hundred pixels measured slower).
    for (int32_t y = y0; y < y1; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(dst.rows + y * dst.rowBytes);
        const int64_t u = map.u0 + int64_t{y} * map.dudy;
        const int64_t v = map.v0 + int64_t{y} * map.dvdy;
        Span reach{x0, x0}, inside{x0, x0};
        if (drawn) {
            // A tap index of -1 still reaches pixel 0 with its right-hand weight.
            reach = Intersect(SolveSpan(u, map.dudx, -cOne, w * cOne - 1, x0, x1),
                              SolveSpan(v, map.dvdx, -cOne, h * cOne - 1, x0, x1));
            inside =
                Intersect(SolveSpan(u, map.dudx, 0, (w - 1) * cOne - 1, reach.begin, reach.end),
                          SolveSpan(v, map.dvdx, 0, (h - 1) * cOne - 1, reach.begin, reach.end));
            if (inside.begin == inside.end) inside = Span{reach.end, reach.end};
        }
        auto at = [&](int32_t x) {
            WarpRow args{src.words, src.stride, 0, 0, map.dudx, map.dvdx, ahead, src.width, opaque};
            args.u = static_cast<int32_t>(u + int64_t{x} * map.dudx);
            args.v = static_cast<int32_t>(v + int64_t{x} * map.dvdx);
            return args;
        };
        const Span left{reach.begin, inside.begin}, right{inside.end, reach.end};
        Fill(row, x0, reach.begin, background);
        Fill(row, left.begin, left.end, background);
        WarpBlendRow<true>(row + left.begin, left.end - left.begin, src, at(left.begin), alpha,
                           dst.order);
        if (replaces) {
            opaqueRow(row + inside.begin, inside.end - inside.begin, at(inside.begin));
        } else {
            Fill(row, inside.begin, inside.end, background);
            WarpBlendRow<false>(row + inside.begin, inside.end - inside.begin, src,
                                at(inside.begin), alpha, dst.order);
        }
        Fill(row, right.begin, right.end, background);
        WarpBlendRow<true>(row + right.begin, right.end - right.begin, src, at(right.begin), alpha,
                           dst.order);
        Fill(row, reach.end, x1, background);
    }
}

}  // namespace hz::quartz

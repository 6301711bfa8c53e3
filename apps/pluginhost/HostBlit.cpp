#include "apps/pluginhost/HostBlit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace pluginhost {

namespace {

// x / 255 rounded, exact for every x in 0..255*255.
inline uint8_t Div255(uint32_t x) {
    return static_cast<uint8_t>((x + 128 + ((x + 128) >> 8)) >> 8);
}

// One pixel: the colour mixed by the opacity, the alpha made opaque.
inline void BlendPixel(uint8_t* d, const uint8_t* s, uint32_t a) {
    const uint32_t na = 255 - a;
    d[0] = 0xFF;
    for (int c = 1; c < 4; ++c) d[c] = Div255(s[c] * a + d[c] * na);
}

void BlendRow(uint8_t* dst, const uint8_t* src, int count, const int* srcColumn, uint32_t a) {
    for (int i = 0; i < count; ++i) BlendPixel(dst + 4 * i, src + 4 * srcColumn[i], a);
}

// The common case, a copy of the same size: one straight run of pixels.
// Alpha comes out opaque as in BlendRow; the sums stay below 65536, so
// 16-bit lanes give exactly Div255's results.
void BlendRowSameSize(uint8_t* dst, const uint8_t* src, int count, uint32_t a) {
    int i = 0;
#ifdef __SSE2__
    const __m128i va = _mm_set1_epi16(static_cast<int16_t>(a));
    const __m128i vna = _mm_set1_epi16(static_cast<int16_t>(255 - a));
    const __m128i half = _mm_set1_epi16(128);
    const __m128i zero = _mm_setzero_si128();
    // The alpha byte is the first in memory: the low byte of each word.
    const __m128i opaque = _mm_set1_epi32(0xFF);
    auto blend = [&](__m128i s8, __m128i d8) {
        __m128i x =
            _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s8, va), _mm_mullo_epi16(d8, vna)), half);
        return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
    };
    for (; i + 4 <= count; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + 4 * i));
        const __m128i lo = blend(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
        const __m128i hi = blend(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * i),
                         _mm_or_si128(_mm_packus_epi16(lo, hi), opaque));
    }
#endif
    for (; i < count; ++i) BlendPixel(dst + 4 * i, src + 4 * i, a);
}

const uint8_t* Row(const PixMap& map, int y) {
    return reinterpret_cast<const uint8_t*>(map.baseAddr) +
           static_cast<ptrdiff_t>(y) * map.rowBytes;
}

}  // namespace

void BlendPixMaps(const PixMap& source, const PixMap& dest, Rect sourceRect, Rect destRect,
                  int opacity) {
    const uint32_t a = static_cast<uint32_t>(std::clamp(opacity, 0, 255));
    const int srcW = sourceRect.right - sourceRect.left, srcH = sourceRect.bottom - sourceRect.top;
    const int dstW = destRect.right - destRect.left, dstH = destRect.bottom - destRect.top;
    if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0 || !source.baseAddr || !dest.baseAddr)
        return;
    const int x0 = std::max<int>(destRect.left, dest.bounds.left);
    const int x1 = std::min<int>(destRect.right, dest.bounds.right);
    const int y0 = std::max<int>(destRect.top, dest.bounds.top);
    const int y1 = std::min<int>(destRect.bottom, dest.bounds.bottom);
    if (x0 >= x1 || y0 >= y1) return;

    if (srcW == dstW && srcH == dstH) {
        const int dx = sourceRect.left - destRect.left, dy = sourceRect.top - destRect.top;
        const int left = std::max<int>(x0, source.bounds.left - dx);
        const int right = std::min<int>(x1, source.bounds.right - dx);
        const int top = std::max<int>(y0, source.bounds.top - dy);
        const int bottom = std::min<int>(y1, source.bounds.bottom - dy);
        for (int y = top; y < bottom && left < right; ++y) {
            BlendRowSameSize(const_cast<uint8_t*>(Row(dest, y)) + 4 * left,
                             Row(source, y + dy) + 4 * (left + dx), right - left, a);
        }
        return;
    }

    // Source column of each destination column, found once; columns whose
    // source falls outside the source map are left out.
    std::vector<int> columns;
    int first = x0;
    columns.reserve(static_cast<size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x) {
        const int sx = sourceRect.left + static_cast<int>(int64_t{x - destRect.left} * srcW / dstW);
        if (sx < source.bounds.left || sx >= source.bounds.right) {
            if (columns.empty())
                first = x + 1;
            else
                break;
            continue;
        }
        columns.push_back(sx);
    }
    if (columns.empty()) return;
    for (int y = y0; y < y1; ++y) {
        const int sy = sourceRect.top + static_cast<int>(int64_t{y - destRect.top} * srcH / dstH);
        if (sy < source.bounds.top || sy >= source.bounds.bottom) continue;
        BlendRow(const_cast<uint8_t*>(Row(dest, y)) + 4 * first, Row(source, sy),
                 static_cast<int>(columns.size()), columns.data(), a);
    }
}

}  // namespace pluginhost

// The rows by hand for AVX-512 BW: the AVX2 rows' sums, twice as wide,
// with the clamping into ARGB left to the saturating packs. Built with
// -mavx512bw; GCC leaves through vzeroupper.
#include "apps/media/YuvPixels.h"
#include "apps/media/YuvRows.h"
#include "platform/types/Avx512Intrinsics.h"

namespace media {

namespace {

// Sixteen chroma samples i..i+15 of U (low half) and V (high half), their
// rows mixed 3:1, sixteen bits each.
inline __m512i MixRows(const uint8_t* uNear, const uint8_t* uFar, const uint8_t* vNear,
                       const uint8_t* vFar) {
    const auto sixteen = [](const uint8_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    const __m512i n = _mm512_cvtepu8_epi16(_mm256_set_m128i(sixteen(vNear), sixteen(uNear)));
    const __m512i f = _mm512_cvtepu8_epi16(_mm256_set_m128i(sixteen(vFar), sixteen(uFar)));
    return _mm512_add_epi16(_mm512_add_epi16(n, _mm512_add_epi16(n, n)), f);
}

// Chroma of pixels 2i..2i+31 at eight times the value, less 8 * 128, in
// pixel order: reads samples i..i+16.
inline void SpreadChroma(const uint8_t* uNear, const uint8_t* uFar, const uint8_t* vNear,
                         const uint8_t* vFar, __m512i* u, __m512i* v) {
    const __m512i c = MixRows(uNear, uFar, vNear, vFar);
    const __m512i next = MixRows(uNear + 1, uFar + 1, vNear + 1, vFar + 1);
    const __m512i offset = _mm512_set1_epi16(8 * 128);
    const __m512i even = _mm512_sub_epi16(_mm512_add_epi16(c, c), offset);
    const __m512i odd = _mm512_sub_epi16(_mm512_add_epi16(c, next), offset);
    // Per 128-bit lane k the unpacks hold pixels 8k..8k+7 of U (lanes 0,
    // 1) and V (lanes 2, 3) from samples 4k.., low and high halves apart.
    const __m512i low = _mm512_unpacklo_epi16(even, odd), high = _mm512_unpackhi_epi16(even, odd);
    *u = _mm512_permutex2var_epi64(low, _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11), high);
    *v = _mm512_permutex2var_epi64(low, _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15), high);
}

void ToArgbRowAvx512(const uint8_t* y, const uint8_t* uNear, const uint8_t* uFar,
                     const uint8_t* vNear, const uint8_t* vFar, uint8_t* argb, int width,
                     const YuvMatrix& m, int16_t*) {
    const int chromaWidth = (width + 1) / 2;
    const auto pair = [](int32_t low, int32_t high) {
        return _mm512_set1_epi32(
            static_cast<int32_t>((low & 0xFFFF) | static_cast<uint32_t>(high) << 16));
    };
    const __m512i redTerms = pair(m.yScale, m.vToR), blueTerms = pair(m.yScale, m.uToB);
    const __m512i greenTerms = pair(m.yScale, -m.uToG), greenRest = pair(-m.vToG, 1 << 13);
    const __m512i half = _mm512_set1_epi32(1 << 13), one = _mm512_set1_epi16(1);
    const __m512i yOffset = _mm512_set1_epi16(static_cast<int16_t>(m.yOffset));
    const __m512i opaque = _mm512_set1_epi16(255);
    int x = 0;
    // Thirty-two pixels need chroma samples up to x / 2 + 16.
    for (; x + 32 <= width && x / 2 + 17 <= chromaWidth; x += 32) {
        __m512i u, v;
        const int i = x / 2;
        SpreadChroma(uNear + i, uFar + i, vNear + i, vFar + i, &u, &v);
        const __m512i luma = _mm512_sub_epi16(
            _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(y + x))),
            yOffset);
        // Unpacking takes pixels 8k..8k+3 and 8k+4..8k+7 of each lane k;
        // packing the two results back together restores the order.
        const __m512i lumaV[2] = {_mm512_unpacklo_epi16(luma, v), _mm512_unpackhi_epi16(luma, v)};
        const __m512i lumaU[2] = {_mm512_unpacklo_epi16(luma, u), _mm512_unpackhi_epi16(luma, u)};
        const __m512i vOne[2] = {_mm512_unpacklo_epi16(v, one), _mm512_unpackhi_epi16(v, one)};
        const auto words = [](__m512i half0, __m512i half1) {
            return _mm512_packs_epi32(_mm512_srai_epi32(half0, 14), _mm512_srai_epi32(half1, 14));
        };
        const __m512i red = words(_mm512_add_epi32(_mm512_madd_epi16(lumaV[0], redTerms), half),
                                  _mm512_add_epi32(_mm512_madd_epi16(lumaV[1], redTerms), half));
        const __m512i green = words(_mm512_add_epi32(_mm512_madd_epi16(lumaU[0], greenTerms),
                                                     _mm512_madd_epi16(vOne[0], greenRest)),
                                    _mm512_add_epi32(_mm512_madd_epi16(lumaU[1], greenTerms),
                                                     _mm512_madd_epi16(vOne[1], greenRest)));
        const __m512i blue = words(_mm512_add_epi32(_mm512_madd_epi16(lumaU[0], blueTerms), half),
                                   _mm512_add_epi32(_mm512_madd_epi16(lumaU[1], blueTerms), half));
        // The saturating packs clamp to 0..255. Per lane k: red then blue,
        // alpha then green, of pixels 8k..8k+7.
        const __m512i redBlue = _mm512_packus_epi16(red, blue);
        const __m512i alphaGreen = _mm512_packus_epi16(opaque, green);
        const __m512i alphaRed = _mm512_unpacklo_epi8(alphaGreen, redBlue);
        const __m512i greenBlue = _mm512_unpackhi_epi8(alphaGreen, redBlue);
        const __m512i first = _mm512_unpacklo_epi16(alphaRed, greenBlue);   // 8k..8k+3
        const __m512i second = _mm512_unpackhi_epi16(alphaRed, greenBlue);  // 8k+4..8k+7
        _mm512_storeu_si512(
            argb + 4 * x,
            _mm512_permutex2var_epi64(first, _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11), second));
        _mm512_storeu_si512(argb + 4 * x + 64,
                            _mm512_permutex2var_epi64(
                                first, _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15), second));
    }
    ToArgbPixels(y, uNear, uFar, vNear, vFar, argb, x, width, m);
}

// Luma of thirty-two pixels, as the AVX2 row makes it of sixteen.
void LumaRowAvx512(const uint8_t* argb, uint8_t* y, int width, const YuvMatrix& m, bool streaming) {
    const int32_t greenFirst = std::min(m.yFromG, 32767);
    const __m512i redGreenTerms = _mm512_set1_epi32(m.yFromR | greenFirst << 16);
    const __m512i blueGreenTerms = _mm512_set1_epi32(m.yFromB | (m.yFromG - greenFirst) << 16);
    const __m512i redGreen = _mm512_broadcast_i32x4(
        _mm_setr_epi8(1, -1, 2, -1, 5, -1, 6, -1, 9, -1, 10, -1, 13, -1, 14, -1));
    const __m512i blueGreen = _mm512_broadcast_i32x4(
        _mm_setr_epi8(3, -1, 2, -1, 7, -1, 6, -1, 11, -1, 10, -1, 15, -1, 14, -1));
    const __m512i bias = _mm512_set1_epi32((m.yOffset << 16) + (1 << 15));
    // After the packs, lane k holds pixels 4k..4k+3 and 16+4k..16+4k+3.
    const __m512i order = _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 0, 0, 0, 0, 0, 0, 0, 0);
    const auto luma = [&](const uint8_t* at) {
        const __m512i p = _mm512_loadu_si512(at);
        const __m512i sum =
            _mm512_add_epi32(_mm512_madd_epi16(_mm512_shuffle_epi8(p, redGreen), redGreenTerms),
                             _mm512_madd_epi16(_mm512_shuffle_epi8(p, blueGreen), blueGreenTerms));
        return _mm512_srai_epi32(_mm512_add_epi32(sum, bias), 16);
    };
    const bool stream = streaming && (reinterpret_cast<uintptr_t>(y) & 31) == 0;
    int x = 0;
    for (; x + 32 <= width; x += 32) {
        const __m512i words = _mm512_packs_epi32(luma(argb + 4 * x), luma(argb + 4 * x + 64));
        const __m512i bytes = _mm512_permutexvar_epi32(order, _mm512_packus_epi16(words, words));
        if (stream)
            _mm256_stream_si256(reinterpret_cast<__m256i*>(y + x), _mm512_castsi512_si256(bytes));
        else
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(y + x), _mm512_castsi512_si256(bytes));
    }
    for (; x < width; ++x) y[x] = LumaOf(LoadPixel(argb + 4 * x), m);
}

// Sixteen pixels' colours as 16-bit words: per 128-bit lane, four reds and
// four greens, then four blues and four zeros.
inline void Channels(const uint8_t* at, __m512i* redGreen, __m512i* blue) {
    const __m512i gather = _mm512_broadcast_i32x4(
        _mm_setr_epi8(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, -1, -1, -1, -1));
    const __m512i p = _mm512_shuffle_epi8(_mm512_loadu_si512(at), gather);
    *redGreen = _mm512_unpacklo_epi8(p, _mm512_setzero_si512());
    *blue = _mm512_unpackhi_epi8(p, _mm512_setzero_si512());
}

inline __m512i MinusOneThreeThreeMinusOne(__m512i a, __m512i p, __m512i q, __m512i b) {
    const __m512i mid = _mm512_add_epi16(p, q);
    return _mm512_sub_epi16(_mm512_add_epi16(mid, _mm512_add_epi16(mid, mid)),
                            _mm512_add_epi16(a, b));
}

void RowSumsAvx512(const uint8_t* const argb[4], const SumRows& sums, int width) {
    // The lanes' first quadwords together, then their second ones.
    const __m512i split = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        __m512i rg[4], bl[4];
        for (int row = 0; row < 4; ++row) Channels(argb[row] + 4 * x, &rg[row], &bl[row]);
        const __m512i redGreen =
            _mm512_permutexvar_epi64(split, MinusOneThreeThreeMinusOne(rg[0], rg[1], rg[2], rg[3]));
        const __m512i blue =
            _mm512_permutexvar_epi64(split, MinusOneThreeThreeMinusOne(bl[0], bl[1], bl[2], bl[3]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums.r + x),
                            _mm512_castsi512_si256(redGreen));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums.g + x),
                            _mm512_extracti64x4_epi64(redGreen, 1));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums.b + x), _mm512_castsi512_si256(blue));
    }
    RowSumsOfColumns(argb, sums, x, width);
}

// Sixteen sums from `s`, as 32-bit even and odd columns.
inline void EvenOdd(const int16_t* s, __m512i* even, __m512i* odd) {
    const __m512i w = _mm512_loadu_si512(s);
    *even = _mm512_srai_epi32(_mm512_slli_epi32(w, 16), 16);
    *odd = _mm512_srai_epi32(w, 16);
}

// The column filter -1 2 6 2 -1 at columns 2i..2i+30.
inline __m512i Filtered(const int16_t* s, int x) {
    __m512i before, beforeOdd, at, atOdd, after, afterOdd;
    EvenOdd(s + x - 2, &before, &beforeOdd);
    EvenOdd(s + x, &at, &atOdd);
    EvenOdd(s + x + 2, &after, &afterOdd);
    const __m512i six = _mm512_add_epi32(_mm512_slli_epi32(at, 2), _mm512_slli_epi32(at, 1));
    const __m512i two = _mm512_slli_epi32(_mm512_add_epi32(beforeOdd, atOdd), 1);
    return _mm512_sub_epi32(_mm512_add_epi32(six, two), _mm512_add_epi32(before, after));
}

void ChromaRowAvx512(const SumRows& sums, uint8_t* u, uint8_t* v, int width, const YuvMatrix& m,
                     bool streaming) {
    const int chromaWidth = (width + 1) / 2;
    const __m512i bias = _mm512_set1_epi32((128 << 21) + (1 << 20));
    // After the packs each lane's first four bytes are its samples.
    const __m512i order = _mm512_setr_epi32(0, 4, 8, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    const auto sample = [&](__m512i r, __m512i g, __m512i b, int32_t fr, int32_t fg, int32_t fb) {
        const __m512i sum =
            _mm512_add_epi32(_mm512_add_epi32(_mm512_mullo_epi32(r, _mm512_set1_epi32(fr)),
                                              _mm512_mullo_epi32(g, _mm512_set1_epi32(fg))),
                             _mm512_add_epi32(_mm512_mullo_epi32(b, _mm512_set1_epi32(fb)), bias));
        const __m512i words =
            _mm512_packs_epi32(_mm512_srai_epi32(sum, 21), _mm512_setzero_si512());
        return _mm512_castsi512_si128(
            _mm512_permutexvar_epi32(order, _mm512_packus_epi16(words, words)));
    };
    const bool stream =
        streaming && ((reinterpret_cast<uintptr_t>(u) | reinterpret_cast<uintptr_t>(v)) & 15) == 0;
    int i = 0;
    // Sixteen samples read the sums up to column 2i + 33, which exist up to
    // width + 1.
    for (; 2 * i + 34 <= width + 2; i += 16) {
        const __m512i r = Filtered(sums.r, 2 * i), g = Filtered(sums.g, 2 * i),
                      b = Filtered(sums.b, 2 * i);
        const __m128i us = sample(r, g, b, m.uFromR, m.uFromG, m.uFromB);
        const __m128i vs = sample(r, g, b, m.vFromR, m.vFromG, m.vFromB);
        if (stream) {
            _mm_stream_si128(reinterpret_cast<__m128i*>(u + i), us);
            _mm_stream_si128(reinterpret_cast<__m128i*>(v + i), vs);
        } else {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(u + i), us);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(v + i), vs);
        }
    }
    for (; i < chromaWidth; ++i) ChromaFromSums(sums.r, sums.g, sums.b, 2 * i, m, u + i, v + i);
}

void FromArgbRowAvx512(const uint8_t* const argb[4], uint8_t* y0, uint8_t* y1, uint8_t* u,
                       uint8_t* v, int width, const YuvMatrix& m, int16_t* scratch,
                       bool streaming) {
    LumaRowAvx512(argb[1], y0, width, m, streaming);
    if (y1) LumaRowAvx512(argb[2], y1, width, m, streaming);
    SumRows sums(scratch, width);
    RowSumsAvx512(argb, sums, width);
    sums.RepeatEdges(width);
    ChromaRowAvx512(sums, u, v, width, m, streaming);
    // Streamed stores are weakly ordered: they land before the picture is
    // handed to the encoder's thread.
    if (streaming) _mm_sfence();
}

}  // namespace

const YuvRowKernels cYuvRowsAvx512 = {ToArgbRowAvx512, FromArgbRowAvx512};

}  // namespace media

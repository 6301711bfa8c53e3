// Built with AVX-512 BW, VL and VBMI. A turn of a few degrees at about
// unit scale reads, for eight neighbouring pixels, at most sixteen columns
// of at most three image rows: those are loaded whole and the taps picked
// out of them with byte permutes, instead of sixteen scattered loads. The
// blocks that read wider (strong reduction, steep turns, mirroring) go to
// the AVX2 kernel.
#include <cstdlib>

#include "platform/quartz/QuartzPrivate.h"
#include "platform/quartz/QuartzWarpRows.h"
#include "platform/types/Avx512Intrinsics.h"

namespace hz::quartz {

namespace {

// The value, which the compiler can no longer see through: it stays in a
// register instead of being rebuilt from an immediate in every block.
template <typename Vector>
inline Vector Kept(Vector v) {
    asm("" : "+v"(v));
    return v;
}

// Byte picks that fill each 16-byte lane k / 16 with dword first + 2 * (k / 16)
// (pixels 0, 2, 4, 6 for the even registers, 1, 3, 5, 7 for the odd ones):
// its low byte, or with `pairs` its low two bytes in turn.
__m512i LaneBytes(int first, bool pairs) {
    alignas(64) uint8_t b[64];
    for (int k = 0; k < 64; ++k)
        b[k] = static_cast<uint8_t>(4 * (first + 2 * (k / 16)) + (pairs ? k % 2 : 0));
    return Kept(_mm512_load_si512(b));
}

// Blocks of eight up to the first that starts within 16 columns of the
// right edge, or the last whole block; returns where it stopped. Only for
// rows whose blocks fit (see below), made for the sign of dv, which says
// whether a block's first or last pixel reads highest. No calls inside, so
// the constants stay in registers.
template <bool kDownwards>
int32_t FitBlocks(uint32_t* dst, int32_t count, const WarpRow& row) {
    const uint32_t* words = row.words;
    const ptrdiff_t stride = row.stride;
    const int32_t du = row.du, dv = row.dv;
    // In 64 bits nothing wraps, and the tap coordinates index directly.
    int64_t u = row.u, vFirst = row.v, vLast = int64_t{row.v} + 7 * int64_t{dv};
    // Lanes 0-7 carry the eight pixels' u, lanes 8-15 their v.
    const __m512i lanes = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7);
    const __m512i starts = _mm512_mask_set1_epi32(_mm512_set1_epi32(row.u), 0xFF00, row.v);
    const __m512i steps = _mm512_mask_set1_epi32(_mm512_set1_epi32(du), 0xFF00, dv);
    __m512i uv = _mm512_add_epi32(starts, _mm512_mullo_epi32(lanes, steps));
    const __m512i blockStep = Kept(_mm512_slli_epi32(steps, 3));
    const __m512i weightMask = Kept(_mm512_set1_epi32(127));
    // Horizontal weights become word pairs 4 * (128 - wx, wx) and vertical
    // ones byte pairs (128 - wy, wy): base + (w << high) - (w << low).
    const __m512i weightBase = Kept(_mm512_mask_set1_epi32(_mm512_set1_epi32(512), 0xFF00, 128));
    const __m512i highShift = Kept(_mm512_mask_set1_epi32(_mm512_set1_epi32(18), 0xFF00, 8));
    const __m512i lowShift = Kept(_mm512_mask_set1_epi32(_mm512_set1_epi32(2), 0xFF00, 0));
    // In a lane, each channel's taps: top left, bottom left, top right,
    // bottom right; bit 6 of a pick chooses the lower of the two rows
    // permuted.
    const __m512i tapPicks = Kept(_mm512_broadcast_i32x4(
        _mm_setr_epi8(0, 64, 4, 68, 1, 65, 5, 69, 2, 66, 6, 70, 3, 67, 7, 71)));
    const __m512i evenColumns = LaneBytes(0, false), oddColumns = LaneBytes(1, false);
    const __m512i evenRows = LaneBytes(8, false), oddRows = LaneBytes(9, false);
    const __m512i evenWy = LaneBytes(8, true), oddWy = LaneBytes(9, true);
    const __m512i evenWx = Kept(_mm512_setr_epi32(0, 0, 0, 0, 2, 2, 2, 2, 4, 4, 4, 4, 6, 6, 6, 6));
    const __m512i oddWx = Kept(_mm512_setr_epi32(1, 1, 1, 1, 3, 3, 3, 3, 5, 5, 5, 5, 7, 7, 7, 7));
    // Byte 2 of each channel's sum, the pixels back in order.
    alignas(64) uint8_t sumBytes[64];
    for (int k = 0; k < 64; ++k) {
        const int pixel = (k / 4) % 8;
        sumBytes[k] = static_cast<uint8_t>(64 * (pixel % 2) + 16 * (pixel / 2) + 4 * (k % 4) + 2);
    }
    const __m512i sumPicks = Kept(_mm512_load_si512(sumBytes));
    const __m512i signFlip = Kept(_mm512_set1_epi8(static_cast<char>(0x80)));
    const __m256i opaque = Kept(_mm256_set1_epi32(static_cast<int32_t>(row.opaque)));
    const int32_t lastColumn = row.width - 16;
    // A copy: the stores to dst might, for all the compiler knows, change row.
    const ptrdiff_t ahead = row.ahead;

    int32_t i = 0;
    for (; i + 8 <= count; i += 8, u += 8 * du, vFirst += 8 * dv, vLast += 8 * dv) {
        const int64_t x0 = u >> 16;
        if (x0 > lastColumn) break;
        const int64_t yFirst = vFirst >> 16, yLast = vLast >> 16;
        const int64_t y0 = kDownwards ? yFirst : yLast;
        const uint32_t* top = words + y0 * stride + x0;
        // Without it, 3840-pixel frames took three times as long: the
        // hardware does not fetch three image rows ahead on its own.
        _mm_prefetch(reinterpret_cast<const char*>(top + ahead), _MM_HINT_T0);
        const __m512i row0 = _mm512_loadu_si512(top);
        const __m512i row1 = _mm512_loadu_si512(top + stride);

        // Each pixel's left column within the block, times 4 (its byte).
        const __m512i upperLeft = _mm512_srai_epi32(uv, 16);
        const __m512i columns = _mm512_slli_epi32(
            _mm512_sub_epi32(upperLeft, _mm512_set1_epi32(static_cast<int32_t>(x0))), 2);
        const __m512i picksEven =
            _mm512_add_epi8(_mm512_permutexvar_epi8(evenColumns, columns), tapPicks);
        const __m512i picksOdd =
            _mm512_add_epi8(_mm512_permutexvar_epi8(oddColumns, columns), tapPicks);
        __m512i tapsEven = _mm512_permutex2var_epi8(row0, picksEven, row1);
        __m512i tapsOdd = _mm512_permutex2var_epi8(row0, picksOdd, row1);
        if (yLast != yFirst) {
            // The pixels a row lower take their taps from the next pair.
            const __m512i row2 = _mm512_loadu_si512(top + 2 * stride);
            const __m512i lower = _mm512_slli_epi32(
                _mm512_sub_epi32(upperLeft, _mm512_set1_epi32(static_cast<int32_t>(y0))), 7);
            tapsEven = _mm512_mask_blend_epi8(
                _mm512_movepi8_mask(_mm512_permutexvar_epi8(evenRows, lower)), tapsEven,
                _mm512_permutex2var_epi8(row1, picksEven, row2));
            tapsOdd =
                _mm512_mask_blend_epi8(_mm512_movepi8_mask(_mm512_permutexvar_epi8(oddRows, lower)),
                                       tapsOdd, _mm512_permutex2var_epi8(row1, picksOdd, row2));
        }

        // The taps are made signed by taking 128 off; with weights summing
        // to 128 that takes exactly 128 << 14 off the sum, which the last
        // flip of bit 7 gives back. Times 4, the sum's byte 2 is the result.
        const __m512i w = _mm512_and_si512(_mm512_srli_epi32(uv, 9), weightMask);
        const __m512i weights =
            _mm512_sub_epi32(_mm512_add_epi32(_mm512_sllv_epi32(w, highShift), weightBase),
                             _mm512_sllv_epi32(w, lowShift));
        auto sum = [&](__m512i t, __m512i wyPicks, __m512i wxPicks) {
            const __m512i vertical = _mm512_maddubs_epi16(_mm512_permutexvar_epi8(wyPicks, weights),
                                                          _mm512_xor_si512(t, signFlip));
            return _mm512_madd_epi16(vertical, _mm512_permutexvar_epi32(wxPicks, weights));
        };
        const __m512i sums = _mm512_permutex2var_epi8(sum(tapsEven, evenWy, evenWx), sumPicks,
                                                      sum(tapsOdd, oddWy, oddWx));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                            _mm256_or_si256(_mm256_xor_si256(_mm512_castsi512_si256(sums),
                                                             _mm512_castsi512_si256(signFlip)),
                                            opaque));
        uv = _mm512_add_epi32(uv, blockStep);
    }
    return i;
}

}  // namespace

void WarpOpaqueRowAvx512(uint32_t* dst, int32_t count, const WarpRow& row) {
    const uint32_t du = static_cast<uint32_t>(row.du), dv = static_cast<uint32_t>(row.dv);
    // Eight pixels span 7 steps; running rightwards, their taps then fit
    // in 16 columns (the right tap of the last included) and 3 rows.
    const bool blocksFit =
        row.du >= 0 && int64_t{row.du} * 7 < 14 * 65536 && std::abs(int64_t{row.dv}) * 7 < 65536;
    // Past the first block too near the right edge, every later one is too.
    const int32_t i = !blocksFit    ? 0
                      : row.dv >= 0 ? FitBlocks<true>(dst, count, row)
                                    : FitBlocks<false>(dst, count, row);
    if (i < count) {
        WarpRow rest = row;
        rest.u = static_cast<int32_t>(static_cast<uint32_t>(row.u) + static_cast<uint32_t>(i) * du);
        rest.v = static_cast<int32_t>(static_cast<uint32_t>(row.v) + static_cast<uint32_t>(i) * dv);
        WarpOpaqueRowAvx2(dst + i, count - i, rest);
    }
}

}  // namespace hz::quartz

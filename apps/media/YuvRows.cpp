#include "apps/media/YuvRows.h"

#include <cstring>

#include "apps/media/YuvPixels.h"

namespace media {

namespace {

// Written in passes the vectoriser takes: the rows' chroma mixed, then
// spread across columns, then the matrix.
void ToArgbRow(const uint8_t* y, const uint8_t* uNear, const uint8_t* uFar, const uint8_t* vNear,
               const uint8_t* vFar, uint8_t* argb, int width, const YuvMatrix& m,
               int16_t* scratch) {
    const int chromaWidth = (width + 1) / 2;
    int16_t* cu = scratch;
    int16_t* cv = cu + chromaWidth + 1;
    int16_t* u8 = cv + chromaWidth + 1;
    int16_t* v8 = u8 + width + 1;
    for (int i = 0; i < chromaWidth; ++i) {
        cu[i] = static_cast<int16_t>(3 * uNear[i] + uFar[i]);
        cv[i] = static_cast<int16_t>(3 * vNear[i] + vFar[i]);
    }
    cu[chromaWidth] = cu[chromaWidth - 1];
    cv[chromaWidth] = cv[chromaWidth - 1];
    for (int i = 0; i < chromaWidth; ++i) {
        u8[2 * i] = static_cast<int16_t>(2 * cu[i]);
        u8[2 * i + 1] = static_cast<int16_t>(cu[i] + cu[i + 1]);
        v8[2 * i] = static_cast<int16_t>(2 * cv[i]);
        v8[2 * i + 1] = static_cast<int16_t>(cv[i] + cv[i + 1]);
    }
    for (int x = 0; x < width; ++x) {
        const uint32_t pixel = ArgbFromYuv(y[x], u8[x], v8[x], m);
        std::memcpy(argb + 4 * x, &pixel, 4);
    }
}

void LumaRow(const uint8_t* argb, uint8_t* y, int width, const YuvMatrix& m) {
    for (int x = 0; x < width; ++x) y[x] = LumaOf(LoadPixel(argb + 4 * x), m);
}

// Restrict parameters spare the vectoriser its overlap checks, which are
// too many for it here.
void RowSums(const uint8_t* __restrict above, const uint8_t* __restrict first,
             const uint8_t* __restrict second, const uint8_t* __restrict below,
             int16_t* __restrict red, int16_t* __restrict green, int16_t* __restrict blue,
             int width) {
    for (int x = 0; x < width; ++x) {
        const uint32_t a = LoadPixel(above + 4 * x), p = LoadPixel(first + 4 * x),
                       q = LoadPixel(second + 4 * x), b = LoadPixel(below + 4 * x);
        red[x] = RowSum(a, p, q, b, cRedShift);
        green[x] = RowSum(a, p, q, b, cGreenShift);
        blue[x] = RowSum(a, p, q, b, cBlueShift);
    }
}

// Chroma for columns 2i and rows 2j, 2j+1 is filtered [-1 2 6 2 -1]/8 across
// columns and [-1 3 3 -1]/4 across rows (edges repeated): the filters that
// the linear interpolation of ToArgbRow undoes exactly, so a picture that
// goes through both ways keeps its colours, and none folds back from above
// the chroma's resolution.
void FromArgbRow(const uint8_t* const argb[4], uint8_t* y0, uint8_t* y1, uint8_t* u, uint8_t* v,
                 int width, const YuvMatrix& m, int16_t* scratch, bool) {
    LumaRow(argb[1], y0, width, m);
    if (y1) LumaRow(argb[2], y1, width, m);
    SumRows sums(scratch, width);
    RowSums(argb[0], argb[1], argb[2], argb[3], sums.r, sums.g, sums.b, width);
    sums.RepeatEdges(width);
    for (int i = 0; i < (width + 1) / 2; ++i)
        ChromaFromSums(sums.r, sums.g, sums.b, 2 * i, m, u + i, v + i);
}

}  // namespace

const YuvRowKernels cYuvRowsPortable = {ToArgbRow, FromArgbRow};

const std::vector<NamedYuvRows>& RunnableYuvRows() {
    static const std::vector<NamedYuvRows> runnable = hz::RunnableKernels<YuvRowKernels>({
        {"portable", 0, cYuvRowsPortable},
#ifdef HZ_X86_KERNELS
        {"avx2", hz::kCpuAvx2, cYuvRowsAvx2},
        {"avx512", hz::kCpuAvx512Bw, cYuvRowsAvx512},
#endif
    });
    return runnable;
}

const YuvRowKernels& ChosenYuvRows() {
    static const YuvRowKernels& chosen = hz::ChosenKernel(RunnableYuvRows()).kernel;
    return chosen;
}

}  // namespace media

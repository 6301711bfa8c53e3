#include "apps/media/Yuv420Pictures.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <vector>

#include "apps/media/YuvRows.h"

namespace media {

namespace {

// Rows [begin, end) of a picture; bands of the other direction begin on
// even rows, as its rows go in pairs.
void ToArgbRows(const Yuv420Planes& from, int width, int height, const YuvMatrix& m, uint8_t* argb,
                int stride, int begin, int end) {
    const YuvRowKernels& rows = ChosenYuvRows();
    std::vector<int16_t> scratch(YuvRowScratch(width));
    const int chromaHeight = (height + 1) / 2;
    for (int y = begin; y < end; ++y) {
        const int near = y / 2;
        const int far = y % 2 ? std::min(near + 1, chromaHeight - 1) : std::max(near - 1, 0);
        const auto chroma = [&](int plane, int row) {
            return from.data[plane] + row * from.stride[plane];
        };
        rows.toArgb(from.data[0] + y * from.stride[0], chroma(1, near), chroma(1, far),
                    chroma(2, near), chroma(2, far), argb + static_cast<ptrdiff_t>(y) * stride,
                    width, m, scratch.data());
    }
}

void FromArgbRows(const uint8_t* argb, int stride, int width, int height, const YuvMatrix& m,
                  const Yuv420Planes& to, int begin, int end) {
    const YuvRowKernels& rows = ChosenYuvRows();
    std::vector<int16_t> scratch(YuvRowScratch(width));
    const auto row = [&](int y) {
        return argb + static_cast<ptrdiff_t>(std::clamp(y, 0, height - 1)) * stride;
    };
    for (int y = begin; y < end; y += 2) {
        // Past the bottom of an odd height the rows mirror about the last:
        // the chroma that the interpolation going in turns back into them.
        const bool last = y + 1 == height;
        const uint8_t* const rows4[4] = {row(y - 1), row(y), row(last ? y : y + 1),
                                         row(last ? y - 1 : y + 2)};
        rows.fromArgb(rows4, to.data[0] + y * to.stride[0],
                      y + 1 < height ? to.data[0] + (y + 1) * to.stride[0] : nullptr,
                      to.data[1] + y / 2 * to.stride[1], to.data[2] + y / 2 * to.stride[2], width,
                      m, scratch.data());
    }
}

// Below this many rows a picture is not worth the handing over.
constexpr int kRowsToSplit = 64;

void InBands(int height, SliceWorker* helper, const std::function<void(int, int)>& rows) {
    if (!helper || height < kRowsToSplit) return rows(0, height);
    const int middle = height / 4 * 2;
    helper->RunInTwo([&](int part) { part ? rows(middle, height) : rows(0, middle); });
}

}  // namespace

void Yuv420ToArgb(const Yuv420Planes& from, int width, int height, const YuvMatrix& m,
                  uint8_t* argb, int stride, SliceWorker* helper) {
    if (width <= 0 || height <= 0) return;
    InBands(height, helper, [&](int begin, int end) {
        ToArgbRows(from, width, height, m, argb, stride, begin, end);
    });
}

void ArgbToYuv420(const uint8_t* argb, int stride, int width, int height, const YuvMatrix& m,
                  const Yuv420Planes& to, SliceWorker* helper) {
    if (width <= 0 || height <= 0) return;
    InBands(height, helper, [&](int begin, int end) {
        FromArgbRows(argb, stride, width, height, m, to, begin, end);
    });
}

}  // namespace media

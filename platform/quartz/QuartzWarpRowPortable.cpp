#include "platform/quartz/QuartzPrivate.h"
#include "platform/quartz/QuartzWarpRows.h"

namespace hz::quartz {

void WarpOpaqueRowPortable(uint32_t* dst, int32_t count, const WarpRow& row) {
    const uint32_t* words = row.words;
    const ptrdiff_t stride = row.stride;
    // Unsigned steps: one step past the row may leave the 32-bit range.
    uint32_t u = static_cast<uint32_t>(row.u), v = static_cast<uint32_t>(row.v);
    for (int32_t i = 0; i < count; ++i, u += row.du, v += row.dv) {
        const uint32_t* p =
            words + (static_cast<int32_t>(v) >> 16) * stride + (static_cast<int32_t>(u) >> 16);
        dst[i] = Bilinear(p[0], p[1], p[stride], p[stride + 1], (u >> 9) & 127, (v >> 9) & 127) |
                 row.opaque;
    }
}

}  // namespace hz::quartz

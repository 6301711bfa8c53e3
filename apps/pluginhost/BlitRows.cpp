#include "apps/pluginhost/BlitRows.h"

#include <cstdlib>
#include <cstring>

namespace pluginhost {

void BlendRowSameSizePortable(uint8_t* dst, const uint8_t* src, int count, uint32_t a) {
    for (int i = 0; i < count; ++i) BlendPixel(dst + 4 * i, src + 4 * i, a);
}

BlendRowSameSizeProc ChosenBlendRowSameSize() {
    static const BlendRowSameSizeProc chosen = [] {
        const char* disable = std::getenv("HZ_DISABLE_FAST_PATHS");
        const bool disabled = disable && *disable && std::strcmp(disable, "0") != 0;
        return !disabled && cBlendRowSameSizeSse2 ? cBlendRowSameSizeSse2
                                                  : BlendRowSameSizePortable;
    }();
    return chosen;
}

}  // namespace pluginhost

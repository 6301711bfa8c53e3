#include "apps/pluginhost/BlitRows.h"

namespace pluginhost {
const BlendRowSameSizeProc cBlendRowSameSizeAvx2 = nullptr;
const BlendRowSameSizeProc cBlendRowSameSizeAvx512 = nullptr;
}  // namespace pluginhost

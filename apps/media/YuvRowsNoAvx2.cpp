#include "apps/media/YuvRows.h"

namespace media {

const YuvRowKernels* const cYuvRowsAvx2 = nullptr;

}  // namespace media

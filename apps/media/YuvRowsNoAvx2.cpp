#include "apps/media/YuvRows.h"

namespace media {

const YuvRowKernels* const cYuvRowsAvx2 = nullptr;
const YuvRowKernels* const cYuvRowsAvx512 = nullptr;

}  // namespace media

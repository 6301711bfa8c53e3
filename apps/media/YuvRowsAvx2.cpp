// The kernels built with -mavx2; GCC leaves each function through
// vzeroupper.
#include "apps/media/YuvRowsBody.h"

namespace media {

namespace {
const YuvRowKernels kAvx2 = {ToArgbRow, FromArgbRow};
}

const YuvRowKernels* const cYuvRowsAvx2 = &kAvx2;

}  // namespace media

#include "apps/media/YuvRows.h"

#include <cstdlib>
#include <cstring>

#include "apps/media/YuvRowsBody.h"

namespace media {

const YuvRowKernels cYuvRowsPortable = {ToArgbRow, FromArgbRow};

bool ProcessorHasAvx2ForYuv() {
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

const YuvRowKernels& ChosenYuvRows() {
    static const YuvRowKernels& chosen = []() -> const YuvRowKernels& {
        const char* disable = std::getenv("HZ_DISABLE_FAST_PATHS");
        const bool disabled = disable && *disable && std::strcmp(disable, "0") != 0;
        if (!disabled && cYuvRowsAvx2 && ProcessorHasAvx2ForYuv()) return *cYuvRowsAvx2;
        return cYuvRowsPortable;
    }();
    return chosen;
}

}  // namespace media

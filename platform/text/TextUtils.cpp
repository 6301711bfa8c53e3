#include "platform/text/TextUtils.h"

#include <cstdio>
#include <cstring>

void CopyCStringToPascal(const char* src, Str255 dst) {
    const size_t n = src ? std::strlen(src) : 0;
    dst[0] = static_cast<unsigned char>(n > 255 ? 255 : n);
    if (dst[0]) std::memcpy(dst + 1, src, dst[0]);
}

void CopyPascalStringToCBuffer(ConstStr255Param src, char* dst, int dstSize) {
    if (!dst || dstSize <= 0) return;
    int n = src ? src[0] : 0;
    if (n > dstSize - 1) n = dstSize - 1;
    if (n > 0) std::memcpy(dst, src + 1, static_cast<size_t>(n));
    dst[n] = '\0';
}

void PLstrcpy(StringPtr dst, ConstStr255Param src) { std::memmove(dst, src, src[0] + 1u); }

void PLstrcat(StringPtr dst, ConstStr255Param src) {
    int n = src[0];
    if (dst[0] + n > 255) n = 255 - dst[0];
    std::memmove(dst + 1 + dst[0], src + 1, static_cast<size_t>(n));
    dst[0] = static_cast<unsigned char>(dst[0] + n);
}

void NumToString(int32_t theNum, Str255 theString) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%ld", static_cast<long>(theNum));
    CopyCStringToPascal(buffer, theString);
}

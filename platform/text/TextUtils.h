/* Length-prefixed (Pascal) strings: at most 255 bytes, longer results cut. */
#ifndef HZ_PLATFORM_TEXTUTILS_H
#define HZ_PLATFORM_TEXTUTILS_H

#include "platform/types/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

void CopyCStringToPascal(const char* src, Str255 dst);
/* dst must hold dstSize bytes; the text is cut to fit with its NUL. */
void CopyPascalStringToCBuffer(ConstStr255Param src, char* dst, int dstSize);
void PLstrcpy(StringPtr dst, ConstStr255Param src);
void PLstrcat(StringPtr dst, ConstStr255Param src);
/* Decimal: a minus sign for negatives, no leading zeros, no grouping. */
void NumToString(int32_t theNum, Str255 theString);

#ifdef __cplusplus
}
#endif

#endif

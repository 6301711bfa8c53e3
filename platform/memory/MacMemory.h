/* Memory Manager subset: pointer blocks that know their size, and handles.
 * Hosts allocate the blocks the plug-in later measures with GetPtrSize, so
 * both sides must use these calls (each links its own copy; the layout of a
 * block is what they share). */
#ifndef HZ_PLATFORM_MACMEMORY_H
#define HZ_PLATFORM_MACMEMORY_H

#include "platform/types/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

Ptr NewPtr(Size byteCount);
Ptr NewPtrClear(Size byteCount);
void DisposePtr(Ptr p);
/* 0 for nil. */
Size GetPtrSize(Ptr p);

Handle NewHandle(Size byteCount);
Handle NewHandleClear(Size byteCount);
void DisposeHandle(Handle h);
Size GetHandleSize(Handle h);
/* Resizes the block behind h, keeping its content; MemError tells. */
void SetHandleSize(Handle h, Size newSize);
void HLock(Handle h);
void HUnlock(Handle h);

/* Result of the most recent call of this layer on this thread. */
OSErr MemError(void);

#ifdef __cplusplus
}
#endif

#endif

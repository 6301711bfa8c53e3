/* The Core Foundation subset the plug-in uses: reference-counted strings
 * (Mac OS Roman in, UTF-8 out), file URLs and bundles. A bundle is a folder
 * NAME.bundle/Contents/ with an Info.plist naming its identifier and
 * version, the library in Contents/Linux/ and resources in
 * Contents/Resources/. */
#ifndef HZ_PLATFORM_COREFOUNDATION_H
#define HZ_PLATFORM_COREFOUNDATION_H

#include <stddef.h>
#include <stdint.h>

#include "platform/types/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef const void* CFTypeRef;
typedef const struct __CFString* CFStringRef;
typedef const struct __CFURL* CFURLRef;
typedef struct __CFBundle* CFBundleRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef long CFIndex;
typedef uint32_t CFStringEncoding;

#define kCFAllocatorDefault ((CFAllocatorRef)0)
enum { kCFStringEncodingMacRoman = 0, kCFStringEncodingUTF8 = 0x08000100 };

CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr,
                                           CFStringEncoding encoding);
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                      CFStringEncoding encoding);
/* Number of characters (not bytes). */
CFIndex CFStringGetLength(CFStringRef theString);
/* UTF-8 only; false when the buffer is too small. */
Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding);

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, uint8_t* buffer,
                                         CFIndex maxBufLen);

/* The loaded bundle with that identifier: the one holding the code that
 * asks (found from the running library's own path), or one opened with
 * CFBundleCreate. Not retained (the Get rule). */
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);
CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const uint8_t* buffer,
                                                 CFIndex bufLen, Boolean isDirectory);
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
/* Contents/Linux/ and the CFBundleExecutable of the identity file; nil when
 * the identity file names none. */
CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);
/* Contents/Resources/NAME.TYPE, or nil when there is no such file. */
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName);

#ifdef __cplusplus
}
#endif

#endif

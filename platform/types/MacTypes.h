/* Basic records and scalar types shared by the plug-in, its hosts and every
 * platform layer. C-compatible: hosts written in C include it too. */
#ifndef HZ_PLATFORM_MACTYPES_H
#define HZ_PLATFORM_MACTYPES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t Boolean;
typedef int16_t OSErr;
typedef int32_t OSStatus;
typedef uint32_t OSType;
typedef uint32_t FourCharCode;
typedef uint32_t ResType;
typedef int32_t Size;
typedef char* Ptr;
typedef Ptr* Handle;
typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str31[32];
typedef unsigned char* StringPtr;
typedef const unsigned char* ConstStringPtr;
typedef const unsigned char* ConstStr255Param;

#ifndef __cplusplus
#ifndef true
#define true 1
#define false 0
#endif
#endif

enum {
    noErr = 0,
    paramErr = -50,
    userCanceledErr = -128,
    memFullErr = -108,
    nilHandleErr = -109,
    fnfErr = -43,
    ioErr = -36,
    wPrErr = -44,
    dskFulErr = -34,
    eofErr = -39,
    resNotFound = -192,
    resFNotFound = -193,
    addResFailed = -194,
    mapReadErr = -199,
    eventNotHandledErr = -9874
};

/* The host's interface header defines these three under the same guard. */
#ifndef HZ_RECORD_STRUCTS_DEFINED
#define HZ_RECORD_STRUCTS_DEFINED
/* QuickDraw rectangle: origin top-left, y downward. */
typedef struct Rect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
} Rect;

typedef struct RGBColor {
    uint16_t red;
    uint16_t green;
    uint16_t blue;
} RGBColor;

/* A file's FSSpec record, with the 68k alignment of the original headers: 70
 * bytes, parID at offset 2. Stored in host records, so the packing matters. */
#pragma pack(push, 2)
typedef struct FSSpec {
    int16_t vRefNum;
    int32_t parID;
    Str63 name;
} FSSpec;
#pragma pack(pop)
#endif

typedef struct Point {
    int16_t v;
    int16_t h;
} Point;

typedef FSSpec* FSSpecPtr;

/* Window and control references; the window layer gives them substance. */
typedef struct OpaqueWindowPtr* WindowRef;
typedef WindowRef WindowPtr;
typedef struct OpaqueControlRef* ControlRef;

#ifdef __cplusplus
}
#endif

#endif

// Shared utilities of the plug-in: offscreen buffers and rectangle geometry,
// colour packing, text and number conversion, alerts and fatal stops.
#ifndef HZ_COMMON_COMMONPROCS_H
#define HZ_COMMON_COMMONPROCS_H

#include <stdint.h>

#include "platform/corefoundation/CoreFoundation.h"
#include "platform/quickdraw/QuickDraw.h"
#include "platform/types/MacTypes.h"

// One pixel of a 32-bit buffer, in memory order.
struct PixRec {
    uint8_t alpha;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// Every drawing procedure leaves the current port and device as it found
// them; holding one of these for the procedure's length does that on every
// way out.
class SavedGWorld {
  public:
    SavedGWorld() { GetGWorld(&port_, &device_); }
    ~SavedGWorld() { SetGWorld(port_, device_); }
    SavedGWorld(const SavedGWorld&) = delete;
    SavedGWorld& operator=(const SavedGWorld&) = delete;

  private:
    CGrafPtr port_;
    GDHandle device_;
};

// Locks a buffer's pixels for a scope and puts the previous state back.
class LockedPixels {
  public:
    explicit LockedPixels(GWorldPtr gw) : pm_(GetGWorldPixMap(gw)), state_(GetPixelsState(pm_)) {
        LockPixels(pm_);
    }
    ~LockedPixels() { SetPixelsState(pm_, state_); }
    LockedPixels(const LockedPixels&) = delete;
    LockedPixels& operator=(const LockedPixels&) = delete;

  private:
    PixMapHandle pm_;
    GWorldFlags state_;
};

// Offscreen buffers: 32-bit, bounds at (0,0), pixels locked for life.
GWorldPtr AllocateRectGWorld(Rect theRect);
GWorldPtr AllocateGWorld(int16_t wid, int16_t hig);
// The QuickDraw error of the most recent allocation here (noErr, memFullErr...).
QDErr AllocationError();
void LockGWorld(GWorldPtr theGW);
void ClearGW(GWorldPtr theGW, RGBColor theColor);
GWorldPtr MakeGWorldClone(GWorldPtr theGW);
// A buffer, bounds at (0,0), whose pixels are theRect of theGW's own: what
// is drawn into one shows in the other, and nothing is copied. Nil unless
// theRect lies inside theGW. Disposing of it leaves theGW's pixels alone.
GWorldPtr MakeGWorldView(GWorldPtr theGW, Rect theRect);
// Whether theGW's pixels may share memory with theRect of other: true when
// their byte ranges meet, which is all a view of one buffer over another
// can be judged by.
Boolean PixelsMayOverlap(GWorldPtr theGW, GWorldPtr other, Rect theRect);
void DrawGWinGW(GWorldPtr theSource, GWorldPtr theDest, Rect theRect);
void Source2Target(GWorldPtr theSource, GWorldPtr theTarget);
const BitMap* CarbonGetPortBitMapForCopyBits(GrafPtr thePort);

// Rectangle geometry.
Rect GetPortRect(GrafPtr thePort);
Rect CarbonGetPortBounds(GrafPtr thePort);
void GetDims(Rect theRect, int32_t* wid, int32_t* hig);
void CenterRectInRect(Rect* theRect, Rect theBounds);
void VerifyRect(Rect* theRect);
Rect KeepPropsWithFixedHorizontal(Rect inOriginal, Rect inNewSize);
Rect KeepPropsWithFixedVertical(Rect inOriginal, Rect inNewSize);
Rect CalcProportionalRectForFrame(Rect inRect, Rect inFrame);
double Sgn(double theVal);

// Colour packing: 0x00RRGGBB values carry colours through controls.
RGBColor SetRGBColor(int16_t r, int16_t g, int16_t b);
int32_t PixRec2LongInt(PixRec thePixRec);
PixRec LongInt2PixRec(int32_t theLong);
int32_t RGBColor2LongInt(RGBColor theColor);
RGBColor LongInt2RGBColor(int32_t theLong);

// Text and numbers.
void Num2Text(int32_t theNum, Str255 theText);
CFStringRef MakeCFString(ConstStr255Param theText);
void CommandID2Str(uint32_t theCommand, Str255 theText);

// Alerts. Texts are NUL-terminated Mac OS Roman; each is cut to 255 bytes.
int16_t StandardWarning(const char* theTitle, const char* theMessage, const char* theDefault,
                        const char* theCancel);
void Notify(const char* theMessage);
[[noreturn]] void Terminate(const char* theTitle, const char* theMessage);
// Stops the process when thePointer is nil: a programming fault, never bad input.
void Assert(const void* thePointer, const char* theMessage);

#endif

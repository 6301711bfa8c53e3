/* The host's parameter block, procedure table and description records: the
 * whole interface between a host and the plug-in. C-compatible; any host
 * includes it. On 32-bit x86 every offset equals the original host's; on
 * 64-bit the pointers widen and the natural layout applies. */
#ifndef HZ_HOST_HYPLUGIN_H
#define HZ_HOST_HYPLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The platform types the records carry, so that a host needs no other
 * header. The plug-in's own platform headers define the same records under
 * the same guard; whichever comes first defines them. */
typedef uint8_t Boolean;
typedef char* Ptr;
typedef Ptr* Handle;
typedef unsigned char Str63[64];
typedef struct PixMap PixMap;
typedef PixMap* PixMapPtr;
typedef struct GrafPort GrafPort;
typedef GrafPort* GWorldPtr;
#ifndef HZ_RECORD_STRUCTS_DEFINED
#define HZ_RECORD_STRUCTS_DEFINED
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
#pragma pack(push, 2)
typedef struct FSSpec {
    int16_t vRefNum;
    int32_t parID;
    Str63 name;
} FSSpec;
#pragma pack(pop)
#endif

typedef struct HYPluginInstanceRec* HYPluginInstance;

/* All enumerations travel as 8-bit values in the records. */
typedef uint8_t HYPluginSelector;
enum {
    kPlugGetInfo = 1,
    kPlugInitialize = 2,
    kPlugDrawIcon = 3,
    kPlugDrawThumbNail = 4,
    kPlugFilePlaceHolder = 5,
    kPlugDoFrame = 6,
    kPlugCallOnceWithInitAndTerminate = 7,
    kPlugTerminate = 8,
    kPlugCustomButtonClick = 9
};

typedef uint8_t HYPluginResult;
enum {
    kPluginOK = 0,
    kPluginCancel = 1,
    kPluginFinished = 2,
    kPluginBadParams = 3,
    kPluginOutOfMemory = 4,
    kPluginOutOfDiskSpace = 5,
    kPluginFailed = 6,
    kPluginCantGetNeededFrame = 7,
    kPluginUnimplemented = 8,
    kPluginTryAgainLater = 9,
    kPluginAppIsTooOld = 10,
    kPluginAppIsTooNew = 11
};

/* The name of a result, for a host's messages; "unknown result" otherwise. */
static inline const char* HYPluginResultName(int result) {
    static const char* const names[] = {"kPluginOK",
                                        "kPluginCancel",
                                        "kPluginFinished",
                                        "kPluginBadParams",
                                        "kPluginOutOfMemory",
                                        "kPluginOutOfDiskSpace",
                                        "kPluginFailed",
                                        "kPluginCantGetNeededFrame",
                                        "kPluginUnimplemented",
                                        "kPluginTryAgainLater",
                                        "kPluginAppIsTooOld",
                                        "kPluginAppIsTooNew"};
    return result >= 0 && result <= kPluginAppIsTooNew ? names[result] : "unknown result";
}

typedef uint8_t HYPluginType;
enum {
    kPluginUnknownType = 0,
    kPluginTitleType = 101,
    kPluginTransitionBeforeType = 102,
    kPluginTransitionBetweenType = 103,
    kPluginTransitionAfterType = 104,
    kPluginFilterType = 105
};

typedef uint8_t HYTitleType;
enum { kTitleUnknown = 1, kTitleSingleTextPair = 2, kTitleMultiTextPair = 3, kTitleTextBlock = 4 };

typedef uint8_t HYPluginDirection;
enum {
    kPluginDirectionNone = 0,
    kPluginDirectionUp = 1,
    kPluginDirectionDown = 2,
    kPluginDirectionLeft = 3,
    kPluginDirectionRight = 4
};

typedef uint8_t HYTitleJustification;
enum { kTitleJustCenter = 0, kTitleJustLeft = 1, kTitleJustRight = 2 };

typedef uint8_t HYRefDVQuality;
enum { kDVLowQuality = 0, kDVHighQuality = 1, kDVHighQualitySingleField = 2 };
/* The plug-in asks for kDVLowQuality only for a proxy frame this tall or
 * less, so a host can prepare its frames at that quality in advance. */
enum { kHYLowQualityMaxHeight = 259 };

typedef uint8_t HYRefDigitalVideoStandard;
enum { kRefUnknownStandard = 0, kRefNTSCStandard = 1, kRefPALStandard = 2 };

typedef uint8_t HYRefClipType;
enum {
    kRefUnknownClipType = 0,
    kRefRegularClipType = 1,
    kRefTransitionClipType = 2,
    kRefTitleClipType = 3,
    kRefImageClipType = 4,
    kRefBlackClipType = 5,
    kRefPanZoomClipType = 6
};

/* Bits belong to the host; the plug-in only adds the ones it asks for. */
typedef uint32_t HYPluginChoiceFlags;

typedef struct HYPluginGetInfo {
    HYPluginType pluginType;
    HYTitleType titleType;
    HYPluginChoiceFlags pluginFlags;
    int32_t framesToBeRendered;
    int32_t takeFromClipBefore;
    int32_t takeFromClipAfter;
    int32_t minSpeedFrames;
    int32_t maxSpeedFrames;
    Boolean mustTakeFromSingleClips;
    int32_t bestThumbOffset;
    RGBColor defaultColor;
    HYPluginDirection defaultDirection;
    HYTitleJustification justify;
    int16_t defaultFontNum;
    int16_t defaultFontSize;
} HYPluginGetInfo;

enum { kHYTextFieldLength = 128, kHYButtonTitleLength = 32 };

typedef struct HYPluginFilterSliderInfo {
    char label[kHYTextFieldLength];
    char minLabel[kHYTextFieldLength];
    char maxLabel[kHYTextFieldLength];
    float defaultValue;
} HYPluginFilterSliderInfo;

enum { kHYFilterSliderCount = 3 };

typedef struct HY2PluginGetInfo {
    char group[kHYTextFieldLength];
    HYPluginFilterSliderInfo filterSliders[kHYFilterSliderCount];
    int32_t defaultFadeInFrames;
    int32_t defaultFadeOutFrames;
    int32_t minHangFrames;
    int32_t maxHangFrames;
    float defaultFontSizeScale;
    int32_t selectedFrames;
    int32_t speedFrames;
    int32_t hangFrames;
    int32_t baseMemoryNeeded;
} HY2PluginGetInfo;

typedef struct HYPluginFileOpenInfo {
    int16_t typeCount;
    Handle hTypes;
    FSSpec chosenFile;
} HYPluginFileOpenInfo;

typedef struct HY3PluginGetInfo {
    float defaultX;
    float defaultY;
    float userX;
    float userY;
    HYPluginFileOpenInfo fileInfo;
    char buttonTitle[kHYButtonTitleLength];
} HY3PluginGetInfo;

typedef struct HY4PluginGetInfo {
    HYPluginFilterSliderInfo titleSliders;
} HY4PluginGetInfo;

typedef struct HYPluginFilterInfo {
    float sliderValues[kHYFilterSliderCount];
    int32_t fadeInFrames;
    int32_t fadeOutFrames;
} HYPluginFilterInfo;

typedef struct HYRefClip {
    HYRefClipType clipType;
    char name[128];
    HYRefDigitalVideoStandard standard;
    int32_t frameCount;
    int32_t in;
    int32_t out;
    FSSpec fileSpec;
    int32_t absoluteStartFrame;
} HYRefClip;

typedef struct HY2PluginClipInfo {
    Boolean backwards;
    int16_t frameSpeed;
    int32_t fadeInFrames;
    int32_t fadeOutFrames;
} HY2PluginClipInfo;

typedef struct HY4PluginClipInfo {
    int32_t clipFrame;
    HYRefClip clipRef;
} HY4PluginClipInfo;

typedef struct HYPluginClipInfo {
    int16_t volume;
    Boolean fadeIn;
    Boolean fadeOut;
    char name[256];
    HY2PluginClipInfo ver2;
    HY4PluginClipInfo ver4;
} HYPluginClipInfo;

/* Procedures the plug-in calls. Narrow integer arguments are widened to 32
 * bits by the standard calling convention, as the host expects. */
typedef Ptr (*HYNewPtrProc)(int32_t size);
typedef void (*HYDisposePtrProc)(Ptr p);
typedef HYPluginResult (*HYGetFrameProc)(HYPluginInstance instance, int32_t frameNumber,
                                         GWorldPtr* outFrame, int16_t width, int16_t height,
                                         HYRefDVQuality quality, int16_t* outVolume,
                                         void** outCookie);
typedef HYPluginResult (*HYReleaseFrameProc)(HYPluginInstance instance, void* cookie);
typedef HYPluginResult (*HYBlitProc)(PixMapPtr source, PixMapPtr dest, const Rect* sourceRect,
                                     const Rect* destRect, int16_t opacity);
typedef HYPluginResult (*HYMixAudioProc)(HYPluginInstance instance, void* cookie, int32_t fraction);
typedef HYPluginResult (*HYGetFilterInfoProc)(HYPluginInstance instance,
                                              HYPluginFilterInfo** outInfo);
typedef HYPluginResult (*HYReleaseFilterInfoProc)(HYPluginInstance instance,
                                                  HYPluginFilterInfo* info);
typedef HYPluginResult (*HYGetMovieInfoProc)(HYRefDigitalVideoStandard* outStandard,
                                             int16_t* outWidth, int16_t* outHeight,
                                             int32_t* outFrameCount);
typedef HYPluginResult (*HYGetClipInfoProc)(HYPluginInstance instance, int32_t which,
                                            HYPluginClipInfo* outInfo);
/* Slots the plug-in never calls. */
typedef void (*HYUnusedProc)(void);

/* An extension for hosts that keep each clip's settings themselves, such as
 * a host running several clips with settings of their own in one process.
 * The plug-in calls it at begin and before every frame, placeholder
 * included; the host writes the settings that hold for that request into
 * `block` as a saved configuration block (kHYSavedSettingsSize bytes, the
 * form the preferences file keeps, in this machine's byte order) and
 * answers kPluginOK, or answers kPluginUnimplemented to leave the clip the
 * settings it has (at begin: the plug-in's own). Any other answer fails the
 * request with it; a block the plug-in cannot read fails it with
 * kPluginBadParams. A host whose answer at the plug-in's first request is
 * kPluginOK keeps every clip's settings: the plug-in then starts from its
 * defaults and leaves the preferences file alone.
 * The slot exists only in tables of interface version
 * kHYClipSettingsInterfaceVersion or later; the plug-in never looks for it
 * in an older table, so a host that does not use it changes nothing. */
typedef HYPluginResult (*HYGetClipSettingsProc)(HYPluginInstance instance, void* block,
                                                int32_t size);
enum { kHYClipSettingsInterfaceVersion = 6, kHYSavedSettingsSize = 392 };

/* An extension for hosts that can measure how far a picture's horizon is
 * tilted, which the plug-in itself cannot: the settings dialog's Level
 * command asks it for the frame the dialog shows. `argb` holds `height` rows
 * of `width` 32-bit pixels, bytes A, R, G, B, `rowBytes` apart, valid only
 * during the call. The host writes into `outTilt` the tilt in degrees,
 * clockwise positive on screen (the turn that levels it), its confidence
 * from 0 to 1, and whether it trusts it, and answers kPluginOK; the
 * plug-in then sets the turn and the enlargement from a trusted tilt and
 * tells the user of an untrusted one, changing nothing. A tilt or
 * confidence that is not a finite number in its range counts as untrusted.
 * Any other answer tells the user the frame could not be measured.
 * The slot exists only in tables of interface version
 * kHYMeasureTiltInterfaceVersion or later; the plug-in never looks for it
 * in an older table, and a host that leaves it nil is served as before:
 * the dialog offers no Level command. */
typedef struct HYTiltRec {
    float tiltDegrees;
    float confidence;
    Boolean reliable;
} HYTiltRec;
typedef HYPluginResult (*HYMeasureTiltProc)(HYPluginInstance instance, const uint8_t* argb,
                                            int32_t rowBytes, int16_t width, int16_t height,
                                            HYTiltRec* outTilt);
enum { kHYMeasureTiltInterfaceVersion = 7 };

typedef struct HYProcs {
    HYNewPtrProc NewPtr;
    HYNewPtrProc NewPtrClear;
    HYDisposePtrProc DisposePtr;
    HYUnusedProc ptocstr;
    HYUnusedProc ctopstr;
    HYUnusedProc pstrcpy;
    HYUnusedProc strcpy;
    HYUnusedProc strlen;
    HYUnusedProc GetLocalizedString;
    HYGetFrameProc GetFrame;
    HYReleaseFrameProc ReleaseFrame;
    HYUnusedProc GetAudioFrame;
    HYUnusedProc ReleaseAudioFrame;
    HYGetMovieInfoProc GetMovieInfo;
    HYGetClipInfoProc GetClipInfo;
    HYUnusedProc SetClipInfo;
    HYBlitProc Blit;
    HYUnusedProc FillRect;
    HYUnusedProc TextBounds;
    HYUnusedProc DrawText;
    HYUnusedProc GetTitleInfo;
    HYUnusedProc ReleaseTitleInfo;
    HYUnusedProc GetTransitionInfo;
    HYUnusedProc ReleaseTransitionInfo;
    HYMixAudioProc MixAudio;
    HYGetFilterInfoProc GetFilterInfo;
    HYReleaseFilterInfoProc ReleaseFilterInfo;
    HYUnusedProc StringWidth;
    HYUnusedProc CGDrawText;
    HYUnusedProc CGStringWidth;
    /* Interface version 6 and later. */
    HYGetClipSettingsProc GetClipSettings;
    /* Interface version 7 and later. */
    HYMeasureTiltProc MeasureTilt;
} HYProcs;

typedef struct _PluginParams {
    int16_t interfaceVersion;
    HYPluginInstance instance;
    HYPluginSelector selector;
    HYProcs* procs;
    HYPluginGetInfo getInfo;
    int32_t startFrame;
    int32_t renderFrame;
    int32_t frameCount;
    Boolean proxyOnly;
    Rect frameRect;
    GWorldPtr frame;
    void* clientData;
    HY2PluginGetInfo getInfo2;
    HY3PluginGetInfo getInfo3;
    HY4PluginGetInfo getInfo4;
} HYPluginParams;

/* The exported entry point a host resolves in the bundle. */
typedef int (*HYPluginMainProc)(int which, HYPluginParams* params);

#define kHYPluginEntryName "main"
/* Oldest interface the plug-in accepts. */
enum { kHYMinimumInterfaceVersion = 4 };

#ifdef __cplusplus
}
#endif

#endif

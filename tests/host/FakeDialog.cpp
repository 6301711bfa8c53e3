// Stands in for the configuration dialog inside a copy of the bundle, so the
// custom button can be driven with no window system, in this process or in
// a host of its own (hzfix). The linker routes the dialog's registration of
// its controls and its running here (--wrap), and the environment says what
// the user does:
//   HZ_FAKE_DIALOG        "ok" (default) or "cancel", after editing the record
//   HZ_FAKE_DIALOG_WALK   positions of the position slider to visit, "0,3,1"
//   HZ_FAKE_DIALOG_FORMAT the media format to choose (1 NTSC, 2 PAL, 3 HD)
//   HZ_FAKE_DIALOG_LOG    file that receives one line per thing seen
//   HZ_FAKE_NO_PREVIEW    set: the preview buffer cannot be made
//   HZ_FAKE_DIALOG_LEVEL  set: the Level command is pressed on the frame shown
// Log lines: "register", "open W H MIN MAX POSITION CENTRE", "fetch POS ANSWER CENTRE",
// "level disabled|failed|RELIABLE TILT CONFIDENCE", "close ok|cancel", "unregister";
// CENTRE is the frame's centre pixel as AARRGGBB.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/commonprocs.h"
#include "dialog/ConfigWorkspace.h"
#include "persistence/prefsloader.h"

// The procedures the linker moved aside, under their C++ names.
GWorldPtr RealAllocateRectGWorld(Rect theRect) asm("__real__Z18AllocateRectGWorld4Rect");
GWorldPtr WrapAllocateRectGWorld(Rect theRect) asm("__wrap__Z18AllocateRectGWorld4Rect");
void WrapRegisterDialogControls() asm("__wrap__Z22RegisterDialogControlsv");
void WrapUnregisterDialogControls() asm("__wrap__Z24UnregisterDialogControlsv");
OSErr WrapDoConfig(PluginDataPtr theConfig) asm("__wrap__Z8DoConfigP13PluginDataRec");

namespace {

void Log(const std::string& line) {
    const char* path = std::getenv("HZ_FAKE_DIALOG_LOG");
    if (!path) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

std::string Centre(GrafPtr gw) {
    Rect r;
    GetPortBounds(gw, &r);
    PixMapHandle pm = GetGWorldPixMap(gw);
    const auto* row = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm)) +
                      static_cast<size_t>(GetPixRowBytes(pm)) * ((r.bottom - r.top) / 2);
    const uint8_t* p = row + 4 * ((r.right - r.left) / 2);
    char text[16];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", p[0], p[1], p[2], p[3]);
    return text;
}

}  // namespace

void WrapRegisterDialogControls() { Log("register"); }
void WrapUnregisterDialogControls() { Log("unregister"); }

OSErr WrapDoConfig(PluginDataPtr theConfig) {
    const PluginWorkspace& ws = gConfigWorkspace;
    Rect r;
    GetPortBounds(ws.sourceClip, &r);
    Log("open " + std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top) + " " +
        std::to_string(ws.minFrameIndex) + " " + std::to_string(ws.maxFrameIndex) + " " +
        std::to_string(ws.currFrameIndex) + " " + Centre(ws.sourceClip));

    const PluginDataRec backup = *theConfig;
    if (const char* walk = std::getenv("HZ_FAKE_DIALOG_WALK")) {
        auto* params = static_cast<HYPluginParams*>(ws.iMovieParams);
        for (const char* p = walk; *p;) {
            char* end = nullptr;
            const long position = std::strtol(p, &end, 10);
            const int16_t answer = ws.fetchFrame(ws.sourceClip, params,
                                                 ws.minFrameIndex + static_cast<int32_t>(position),
                                                 cUseDisposeGWInSlider);
            Log("fetch " + std::to_string(position) + " " + std::to_string(answer) + " " +
                Centre(ws.sourceClip));
            p = *end == ',' ? end + 1 : end;
        }
    }

    if (std::getenv("HZ_FAKE_DIALOG_LEVEL")) {
        MeasuredTiltRec tilt{};
        char text[64] = "level disabled";
        if (ws.measureTilt &&
            !ws.measureTilt(ws.sourceClip, static_cast<HYPluginParams*>(ws.iMovieParams), &tilt))
            std::snprintf(text, sizeof text, "level failed");
        else if (ws.measureTilt)
            std::snprintf(text, sizeof text, "level %d %.2f %.2f", tilt.reliable, tilt.tiltDegrees,
                          tilt.confidence);
        Log(text);
    }

    theConfig->sliders[cTurnSlider - 1] = 25;
    theConfig->startRel = RelRect{0.25, 0.75, 0.25, 0.75};
    theConfig->colors[cBackgroundColor - 1] = RGBColor{0, 0, 0xFFFF};
    if (const char* format = std::getenv("HZ_FAKE_DIALOG_FORMAT"))
        theConfig->mediaType = static_cast<int16_t>(std::atoi(format));
    const char* answer = std::getenv("HZ_FAKE_DIALOG");
    if (answer && std::strcmp(answer, "cancel") == 0) {
        *theConfig = backup;
        Log("close cancel");
        return userCanceledErr;
    }
    SaveConfig(theConfig);
    Log("close ok");
    return noErr;
}

GWorldPtr WrapAllocateRectGWorld(Rect theRect) {
    if (std::getenv("HZ_FAKE_NO_PREVIEW")) return nullptr;
    return RealAllocateRectGWorld(theRect);
}

#include "dialog/configdlghandler.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/ProductNames.h"
#include "common/commonprocs.h"
#include "common/nibwindows.h"
#include "dialog/ConfigWorkspace.h"
#include "dialog/aboutwindow.h"
#include "dialog/carbonmacros.h"
#include "dialog/sliderHandlers.h"
#include "dialog/usermanual.h"
#include "engine/DataHandling.h"
#include "engine/lineEffect.h"
#include "engine/relrects.h"
#include "persistence/prefsloader.h"
#include "platform/hitoolbox/ToolboxSession.h"
#include "record/CornerCover.h"
#include "record/SettingsTable.h"

namespace {

enum { kItemReopen = 0, kItemOK = 1, kItemCancel = 2, kItemNone = -1 };

WindowPtr lgTheWindow = nullptr;
int16_t lgItemHit = kItemReopen;

// The controls of a window that is gone must not be reached through the
// workspace by anything that runs before the next window is set up.
void ForgetWindowControls() {
    PluginWorkspace& ws = gConfigWorkspace;
    ws.theWindow = nullptr;
    ws.theFrameCtrl = nullptr;
    ws.clipSlider = nullptr;
    std::fill(std::begin(ws.sliders), std::end(ws.sliders), nullptr);
    std::fill(std::begin(ws.colors), std::end(ws.colors), nullptr);
}

void ShowFramePosition(int32_t v) {
    SetControl32BitValue(gConfigWorkspace.clipSlider, v);
    AccessRenderAndBlit(v);
    SetClipPositionText(lgTheWindow, v);
}

void ShowSliderValue(WindowPtr theWindow, int16_t slider, int16_t value) {
    SetControl32BitValue(gConfigWorkspace.sliders[slider - 1], value);
    SetSliderLegend(theWindow, slider, value);
}

// The turn that levels the frame shown and the enlargement that hides the
// corners it uncovers, from the tilt the host measures on the source frame
// (the preview is already turned); without a trusted tilt nothing changes.
void LevelShownFrame(WindowPtr theWindow, PluginDataPtr theConfig) {
    PluginWorkspace& ws = gConfigWorkspace;
    MeasuredTiltRec tilt{};
    if (!ws.measureTilt(ws.sourceClip, static_cast<HYPluginParams*>(ws.iMovieParams), &tilt)) {
        StandardWarning("Cannot level this frame",
                        "The host could not measure the frame's tilt. Set the turn by hand, or "
                        "draw along the horizon with Control held.",
                        "OK", "");
        return;
    }
    if (!tilt.reliable) {
        char message[256];
        std::snprintf(message, sizeof message,
                      "No reliable horizon in this frame (confidence %.2f): too few level or "
                      "upright lines agree. Try another frame, or set the turn by hand.",
                      tilt.confidence);
        StandardWarning("No reliable horizon", message, "OK", "");
        return;
    }
    const Rect frame = GetPortRect(ws.sourceClip);
    LevelSettings(theConfig, frame.right - frame.left, frame.bottom - frame.top, tilt.tiltDegrees,
                  true);
    for (int16_t slider : {cTurnSlider, cScaleSlider})
        ShowSliderValue(theWindow, slider, theConfig->sliders[slider - 1]);
    ReRenderAndBlit();
}

void ColorCommand(PluginDataPtr theConfig, int16_t i) {
    const int32_t value = GetControl32BitValue(gConfigWorkspace.colors[i - 1]);
    theConfig->colors[i - 1] = LongInt2RGBColor(std::clamp<int32_t>(value, 0, 0xFFFFFF));
    ReRenderAndBlit();
}

}  // namespace

OSErr DoConfig(PluginDataPtr theConfig) {
    Assert(theConfig, "Nil theConfig on DoConfig");
    ToolboxSession session;
    SavedGWorld saved;
    PluginDataRec backup;
    std::memcpy(&backup, theConfig, sizeof backup);
    OSErr err = noErr;
    do {
        const char* windowName = MediaFormat(theConfig->mediaType).windowName;
        lgTheWindow = OpenNibWindowFromCFBundle(cMyBundleID, cMyPluginName, windowName);
        if (!lgTheWindow) {
            err = ReportDamagedLayout((std::string("the window ") + windowName).c_str());
            break;
        }
        EventHandlerUPP handler = NewEventHandlerUPP(TheDialogHandler);
        const EventTypeSpec commands = {kEventClassCommand, kEventCommandProcess};
        InstallEventHandler(GetWindowEventTarget(lgTheWindow), handler, 1, &commands, lgTheWindow,
                            nullptr);
        err = SetupDialog(lgTheWindow, theConfig);
        if (err == noErr) {
            ShowWindow(lgTheWindow);
            SetPortWindowPort(lgTheWindow);
            BringToFront(lgTheWindow);
            RunAppModalLoopForWindow(lgTheWindow);
        }
        DisposeWindow(lgTheWindow);
        DisposeEventHandlerUPP(handler);
        lgTheWindow = nullptr;
        ForgetWindowControls();
    } while (err == noErr && lgItemHit != kItemOK && lgItemHit != kItemCancel);
    if (err == noErr && lgItemHit == kItemOK) {
        SaveConfig(theConfig);
        return noErr;
    }
    std::memcpy(theConfig, &backup, sizeof backup);
    if (err != noErr) return err;
    return userCanceledErr;
}

OSErr SetupDialog(WindowPtr theWindow, PluginDataPtr theConfig) {
    Assert(theWindow, "Nil Window in SetupDialog");
    Assert(theConfig, "Nil theConfig in SetupDialog");
    PluginWorkspace& ws = gConfigWorkspace;
    ws.theWindow = theWindow;
    ws.theFrameCtrl = RequiredControl(theWindow, MakeOSType("Clip"), 1);
    if (!ws.theFrameCtrl) return resNotFound;
    if (OSErr err = SetupColors(theWindow, theConfig)) return err;
    if (OSErr err = SetupSliders(theWindow)) return err;
    ControlRef level = RequiredControl(theWindow, MakeOSType("Levl"), 1);
    if (!level) return resNotFound;
    if (!ws.measureTilt) DisableControl(level);
    SimpleHideControl(theWindow, MakeOSType("Rect"), 1);
    SimpleHideControl(theWindow, MakeOSType("Rect"), 2);
    SimpleSetControlValueByID(theWindow, MakeOSType("Medi"), 1,
                              MediaFormat(theConfig->mediaType).mediaType);
    Config2Dlg(ws.theConfig);
    RenderLineArt(ws.theConfig);
    ReRenderAndBlit();
    return noErr;
}

OSErr SetupColors(WindowPtr theWindow, PluginDataPtr theConfig) {
    for (int16_t i = 1; i <= cNumColors; ++i) {
        ControlRef box = RequiredControl(theWindow, MakeOSType("Colr"), i);
        if (!box) return resNotFound;
        SetControl32BitMinimum(box, 0);
        SetControl32BitMaximum(box, 0xFFFFFF);
        SetControl32BitValue(box, RGBColor2LongInt(theConfig->colors[i - 1]));
        if (cUsesColor[i - 1]) {
            ShowControl(box);
            SimpleShowControl(theWindow, MakeOSType("CLgd"), i);
        } else {
            HideControl(box);
            SimpleHideControl(theWindow, MakeOSType("CLgd"), i);
        }
        gConfigWorkspace.colors[i - 1] = box;
    }
    return noErr;
}

void Config2Dlg(PluginDataPtr theConfig) {
    PluginWorkspace& ws = gConfigWorkspace;
    for (int i = 0; i < cNumColors; ++i)
        SetControl32BitValue(ws.colors[i], RGBColor2LongInt(theConfig->colors[i]));
    for (int16_t i = 1; i <= cNumSliders; ++i) {
        SetControl32BitValue(ws.sliders[i - 1], theConfig->sliders[i - 1]);
        SetSliderLegend(lgTheWindow, i, theConfig->sliders[i - 1]);
    }
}

OSStatus TheDialogHandler(EventHandlerCallRef, EventRef theEvent, void* userData) {
    auto theWindow = static_cast<WindowRef>(userData);
    PluginWorkspace& ws = gConfigWorkspace;
    PluginDataPtr theConfig = ws.theConfig;
    const uint32_t command = GetEventCommandID(theEvent);
    lgItemHit = kItemNone;

    if (CommandIs(command, "ok  ")) {
        lgItemHit = kItemOK;
        QuitAppModalLoopForWindow(theWindow);
        return noErr;
    }
    if (CommandIs(command, "not!")) {
        lgItemHit = kItemCancel;
        QuitAppModalLoopForWindow(theWindow);
        return noErr;
    }
    if (CommandIs(command, "Info")) {
        ShowAbout();
        return noErr;
    }
    const char colorCommands[cNumColors][5] = {"Col1", "Col2", "Col3", "Col4", "Col5", "Col6"};
    for (int16_t i = 1; i <= cNumColors; ++i) {
        if (CommandIs(command, colorCommands[i - 1])) {
            ColorCommand(theConfig, i);
            return noErr;
        }
    }
    if (CommandIs(command, "Adva")) {
        const int32_t v = GetControl32BitValue(ws.clipSlider);
        if (ws.maxFrameIndex > v) ShowFramePosition(v + 1);
        return noErr;
    }
    if (CommandIs(command, "Revi")) {
        const int32_t v = GetControl32BitValue(ws.clipSlider);
        if (v > 0) ShowFramePosition(v - 1);
        return noErr;
    }
    if (CommandIs(command, "Rset")) {
        ResetConfig(theConfig, false);
        Config2Dlg(theConfig);
        RenderLineArt(theConfig);
        ReRenderAndBlit();
        return eventNotHandledErr;
    }
    if (CommandIs(command, "Medi")) {
        const int16_t old = theConfig->mediaType;
        const int32_t item = SimpleGetControlValueByID(theWindow, MakeOSType("Medi"), 1);
        theConfig->mediaType = MediaFormat(static_cast<int16_t>(item)).mediaType;
        if (theConfig->mediaType != old) {
            lgItemHit = kItemReopen;
            QuitAppModalLoopForWindow(theWindow);
        }
        return noErr;
    }
    if (CommandIs(command, "Sall")) {
        RelRect whole;
        InitRelRect(&whole);
        PutCurrentRel(whole);
        ReRenderAndBlit();
        return noErr;
    }
    if (CommandIs(command, "HdCr")) {
        // The least enlargement that hides the corners on the frame shown.
        const Rect frame = GetPortRect(ws.sourceClip);
        SetCornerHidingScale(theConfig, frame.right - frame.left, frame.bottom - frame.top);
        ShowSliderValue(theWindow, cScaleSlider, theConfig->sliders[cScaleSlider - 1]);
        ReRenderAndBlit();
        return noErr;
    }
    if (CommandIs(command, "Levl") && ws.measureTilt) {
        LevelShownFrame(theWindow, theConfig);
        return noErr;
    }
    if (CommandIs(command, "Help")) {
        OpenManual();
        return noErr;
    }
    return eventNotHandledErr;
}

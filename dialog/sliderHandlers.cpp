#include "dialog/sliderHandlers.h"

#include <algorithm>

#include "common/commonprocs.h"
#include "dialog/ConfigWorkspace.h"
#include "dialog/carbonmacros.h"
#include "engine/callpixelfx.h"
#include "engine/lineEffect.h"
#include "platform/text/TextUtils.h"
#include "record/SettingsTable.h"

namespace {

const ControlActionUPP cSliderActions[cNumSliders] = {Slider1Action, Slider2Action, nullptr,
                                                      Slider4Action, Slider5Action, nullptr};

void SliderAction(int16_t theSlider, ControlRef theControl) {
    const int32_t v = GetControl32BitValue(theControl);
    PluginDataPtr theConfig = gConfigWorkspace.theConfig;
    theConfig->sliders[theSlider - 1] =
        static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
    SetSliderLegend(gConfigWorkspace.theWindow, theSlider, v);
    if (theSlider == cTurnSlider) {
        // The slider counts whole steps: a finer part a host left would
        // render a turn other than the one it shows.
        theConfig->sliders[cTurnFineSlot - 1] = 0;
        RenderLineArt(theConfig);
    }
    ReRenderAndBlit();
}

}  // namespace

void SetSliderLegend(WindowPtr theWindow, int16_t theSlider, int32_t theValue) {
    Str255 text, percent;
    Num2Text(theValue, text);
    CopyCStringToPascal("%", percent);
    PLstrcat(text, percent);
    SimpleSetControlText(theWindow, MakeOSType("Lgnd"), theSlider, text);
}

void SetClipPositionText(WindowPtr theWindow, int32_t thePosition) {
    Str255 text, slash, last;
    Num2Text(thePosition, text);
    CopyCStringToPascal("/", slash);
    Num2Text(gConfigWorkspace.maxFrameIndex, last);
    PLstrcat(text, slash);
    PLstrcat(text, last);
    SimpleSetControlText(theWindow, MakeOSType("ClpM"), 1, text);
}

OSErr SetupSliders(WindowPtr theWindow) {
    PluginWorkspace& ws = gConfigWorkspace;
    for (int16_t i = 1; i <= cNumSliders; ++i) {
        ControlRef slider = RequiredControl(theWindow, MakeOSType("Sldr"), i);
        if (!slider) return resNotFound;
        ws.sliders[i - 1] = slider;
        if (const SettingDescRec* desc = SliderDesc(i)) {
            SetControl32BitMinimum(slider, desc->minimum);
            SetControl32BitMaximum(slider, desc->maximum);
            // A block saved elsewhere may hold more than the slider reaches;
            // the preview, and OK, follow what the slider shows.
            ws.theConfig->sliders[i - 1] = ClampToDesc(*desc, ws.theConfig->sliders[i - 1]);
            SetControlAction(slider, NewControlActionUPP(cSliderActions[i - 1]));
            SetControl32BitValue(slider, ws.theConfig->sliders[i - 1]);
            SetSliderLegend(theWindow, i, ws.theConfig->sliders[i - 1]);
        } else {
            SimpleHideControl(theWindow, MakeOSType("Sldr"), i);
            SimpleHideControl(theWindow, MakeOSType("Lgnd"), i);
            SimpleHideControl(theWindow, MakeOSType("Labl"), i);
        }
    }
    ws.clipSlider = RequiredControl(theWindow, MakeOSType("ClpS"), 1);
    if (!ws.clipSlider) return resNotFound;
    SetControlAction(ws.clipSlider, NewControlActionUPP(ClipSliderAction));
    SetControl32BitMinimum(ws.clipSlider, 0);
    SetControl32BitMaximum(ws.clipSlider, ws.maxFrameIndex);
    SetControl32BitValue(ws.clipSlider, ws.currFrameIndex);
    SetClipPositionText(theWindow, ws.currFrameIndex);
    return noErr;
}

void Slider1Action(ControlRef theControl, ControlPartCode) { SliderAction(1, theControl); }
void Slider2Action(ControlRef theControl, ControlPartCode) { SliderAction(2, theControl); }
void Slider4Action(ControlRef theControl, ControlPartCode) { SliderAction(4, theControl); }
void Slider5Action(ControlRef theControl, ControlPartCode) { SliderAction(5, theControl); }

void ClipSliderAction(ControlRef theControl, ControlPartCode) {
    const int32_t v = GetControl32BitValue(theControl);
    gConfigWorkspace.currFrameIndex = v;
    SetClipPositionText(gConfigWorkspace.theWindow, v);
    AccessRenderAndBlit(v);
}

void AccessRenderAndBlit(int32_t theVal) {
    const PluginWorkspace& ws = gConfigWorkspace;
    // A clip that starts late in a long recording must not wrap past the
    // 32-bit frame numbers the host counts in.
    const int64_t frameIndex = int64_t{ws.minFrameIndex} + theVal;
    if (frameIndex >= INT32_MIN && frameIndex <= INT32_MAX)
        ws.fetchFrame(ws.sourceClip, static_cast<HYPluginParams*>(ws.iMovieParams),
                      static_cast<int32_t>(frameIndex), cUseDisposeGWInSlider);
    ReRenderAndBlit();
}

void ReRenderAndBlit() {
    PluginWorkspace& ws = gConfigWorkspace;
    CallPixelEffect(ws.sourceClip, ws.theFXClip);
    AddCGGrid(ws.theFXClip, 1.0, 1.0, 1.0, 40, 40, 0.5);
    SetControl32BitValue(ws.theFrameCtrl, GetControl32BitValue(ws.theFrameCtrl) != 0 ? 0 : 1);
}

void AddCGGrid(GrafPtr theGW, double red, double green, double blue, int16_t xRes, int16_t yRes,
               double alpha) {
    // Without a positive spacing the lines would never reach the edge.
    if (xRes <= 0 || yRes <= 0) return;
    const Rect frame = GetPortRect(theGW);
    CGContextRef ctx = nullptr;
    if (QDBeginCGContext(theGW, &ctx) != noErr) return;
    CGContextSaveGState(ctx);
    CGContextTranslateCTM(ctx, 0, frame.bottom);
    CGContextScaleCTM(ctx, 1, -1);
    CGContextSetRGBStrokeColor(ctx, static_cast<CGFloat>(red), static_cast<CGFloat>(green),
                               static_cast<CGFloat>(blue), static_cast<CGFloat>(alpha));
    CGContextBeginPath(ctx);
    // 32-bit counters: a 16-bit one would wrap before passing a frame edge
    // near the top of the coordinate range.
    for (int32_t x = xRes; x <= frame.right; x += xRes) {
        CGContextMoveToPoint(ctx, x, frame.top);
        CGContextAddLineToPoint(ctx, x, frame.bottom);
    }
    for (int32_t y = yRes; y <= frame.bottom; y += yRes) {
        CGContextMoveToPoint(ctx, frame.left, y);
        CGContextAddLineToPoint(ctx, frame.right, y);
    }
    CGContextStrokePath(ctx);
    CGContextRestoreGState(ctx);
    CGContextFlush(ctx);
    QDEndCGContext(theGW, &ctx);
}

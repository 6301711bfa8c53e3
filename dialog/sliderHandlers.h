// The effect sliders and the position slider, and the re-render that ends
// every change in the dialog.
#ifndef HZ_DIALOG_SLIDERHANDLERS_H
#define HZ_DIALOG_SLIDERHANDLERS_H

#include "platform/hitoolbox/HIToolbox.h"
#include "record/PluginData.h"

// resNotFound, said to the person, where the layout lacks a slider.
OSErr SetupSliders(WindowPtr theWindow);
void Slider1Action(ControlRef theControl, ControlPartCode thePart);
void Slider2Action(ControlRef theControl, ControlPartCode thePart);
void Slider4Action(ControlRef theControl, ControlPartCode thePart);
void Slider5Action(ControlRef theControl, ControlPartCode thePart);
void ClipSliderAction(ControlRef theControl, ControlPartCode thePart);
// Shows clip position theVal: fetches that frame from the host, then re-renders.
void AccessRenderAndBlit(int32_t theVal);
void ReRenderAndBlit();
void AddCGGrid(GrafPtr theGW, double red, double green, double blue, int16_t xRes, int16_t yRes,
               double alpha);
// The legend of effect slider theSlider: "-12%".
void SetSliderLegend(WindowPtr theWindow, int16_t theSlider, int32_t theValue);
// The legend of the position slider: "13/249".
void SetClipPositionText(WindowPtr theWindow, int32_t thePosition);

#endif

#include "dialog/carbonmacros.h"

#include <cstring>
#include <string>

#include "common/commonprocs.h"

ControlRef SimpleGetControlByID(WindowPtr theWindow, OSType theSig, int16_t theNum) {
    const ControlID theID = {theSig, theNum};
    ControlRef theControl = nullptr;
    GetControlByID(theWindow, &theID, &theControl);
    return theControl;
}

OSErr ReportDamagedLayout(const char* what) {
    const std::string message = std::string("The plug-in's bundle is damaged: ") + what +
                                " is missing from its window layout. Install the plug-in again.";
    StandardWarning("Cannot open the settings window", message.c_str(), "OK", "");
    return resNotFound;
}

ControlRef RequiredControl(WindowPtr theWindow, OSType theSig, int16_t theNum) {
    ControlRef control = SimpleGetControlByID(theWindow, theSig, theNum);
    if (!control) {
        const char sig[5] = {static_cast<char>(theSig >> 24), static_cast<char>(theSig >> 16),
                             static_cast<char>(theSig >> 8), static_cast<char>(theSig), 0};
        ReportDamagedLayout(
            ("the control " + std::string(sig) + " " + std::to_string(theNum)).c_str());
    }
    return control;
}

void SimpleSetControlText(WindowPtr theWindow, OSType theSig, int16_t theNum,
                          ConstStr255Param theText) {
    ControlRef theControl = SimpleGetControlByID(theWindow, theSig, theNum);
    if (!theControl) return;
    SetControlData(theControl, kControlEntireControl, kControlEditTextTextTag, theText[0],
                   theText + 1);
    Draw1Control(theControl);
}

void SimpleShowControl(WindowPtr theWindow, OSType theSig, int16_t theNum) {
    if (ControlRef theControl = SimpleGetControlByID(theWindow, theSig, theNum))
        ShowControl(theControl);
}

void SimpleHideControl(WindowPtr theWindow, OSType theSig, int16_t theNum) {
    if (ControlRef theControl = SimpleGetControlByID(theWindow, theSig, theNum))
        HideControl(theControl);
}

int32_t SimpleGetControlValueByID(WindowPtr theWindow, OSType theSig, int16_t theNum) {
    return GetControl32BitValue(SimpleGetControlByID(theWindow, theSig, theNum));
}

void SimpleSetControlValueByID(WindowPtr theWindow, OSType theSig, int16_t theNum,
                               int32_t theValue) {
    SetControl32BitValue(SimpleGetControlByID(theWindow, theSig, theNum), theValue);
}

Rect GetControlBox(ControlRef theControl) {
    Rect theBox;
    GetControlBounds(theControl, &theBox);
    return theBox;
}

ControlRef GetEventControl(EventRef theEvent) {
    ControlRef theControl = nullptr;
    GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof theControl,
                      nullptr, &theControl);
    return theControl;
}

Point GetEventMouseLocation(EventRef theEvent) {
    Point where = {0, 0};
    GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                      nullptr, &where);
    return where;
}

void SetEventControlPart(EventRef theEvent, ControlPartCode thePart) {
    SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof thePart,
                      &thePart);
}

bool CommandIs(uint32_t theCommand, const char (&theCode)[5]) {
    Str255 text;
    CommandID2Str(theCommand, text);
    return text[0] == 4 && std::memcmp(text + 1, theCode, 4) == 0;
}

uint32_t GetEventCommandID(EventRef theEvent) {
    HICommand command = {};
    GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                      nullptr, &command);
    return command.commandID;
}

void RegisterControlClass(ControlClassRec* theClass, const ControlClassDescRec& theDesc) {
    UnregisterControlClass(theClass);
    theClass->handler = NewEventHandlerUPP(theDesc.handler);
    CFStringRef classID =
        CFStringCreateWithCString(nullptr, theDesc.classID, kCFStringEncodingUTF8);
    RegisterToolboxObjectClass(classID, nullptr, theDesc.eventCount, theDesc.events,
                               theClass->handler, nullptr, &theClass->ref);
    CFRelease(classID);
}

void UnregisterControlClass(ControlClassRec* theClass) {
    if (theClass->ref) UnregisterToolboxObjectClass(theClass->ref);
    if (theClass->handler) DisposeEventHandlerUPP(theClass->handler);
    *theClass = ControlClassRec{};
}

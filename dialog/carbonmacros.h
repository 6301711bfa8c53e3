// Controls named by window, signature and number in one call.
#ifndef HZ_DIALOG_CARBONMACROS_H
#define HZ_DIALOG_CARBONMACROS_H

#include "platform/hitoolbox/HIToolbox.h"
#include "platform/types/MacTypes.h"

// The four-character code of a literal such as "Clip".
constexpr OSType MakeOSType(const char (&text)[5]) {
    return static_cast<OSType>(static_cast<uint8_t>(text[0])) << 24 |
           static_cast<OSType>(static_cast<uint8_t>(text[1])) << 16 |
           static_cast<OSType>(static_cast<uint8_t>(text[2])) << 8 |
           static_cast<OSType>(static_cast<uint8_t>(text[3]));
}

// Null when the window has no such control.
ControlRef SimpleGetControlByID(WindowPtr theWindow, OSType theSig, int16_t theNum);
// A control the dialog cannot work without. A layout that lacks it is a
// damaged bundle, bad input rather than a fault: the person is told so, and
// null comes back for the dialog to close.
ControlRef RequiredControl(WindowPtr theWindow, OSType theSig, int16_t theNum);
// Tells the person the bundle's layout named `what` is damaged; resNotFound.
OSErr ReportDamagedLayout(const char* what);
// These three do nothing for a control the window lacks.
void SimpleSetControlText(WindowPtr theWindow, OSType theSig, int16_t theNum,
                          ConstStr255Param theText);
void SimpleShowControl(WindowPtr theWindow, OSType theSig, int16_t theNum);
void SimpleHideControl(WindowPtr theWindow, OSType theSig, int16_t theNum);
// 0, and a set that does nothing, for a control the window lacks.
int32_t SimpleGetControlValueByID(WindowPtr theWindow, OSType theSig, int16_t theNum);
void SimpleSetControlValueByID(WindowPtr theWindow, OSType theSig, int16_t theNum,
                               int32_t theValue);
Rect GetControlBox(ControlRef theControl);

// Whether a command's four characters (CommandID2Str) are those of theCode.
bool CommandIs(uint32_t theCommand, const char (&theCode)[5]);
// The command of a command event.
uint32_t GetEventCommandID(EventRef theEvent);

// A custom control class as each control's file describes it.
struct ControlClassDescRec {
    const char* classID;
    EventHandlerProcPtr handler;
    const EventTypeSpec* events;
    uint32_t eventCount;
};
// A class as registered.
struct ControlClassRec {
    ToolboxObjectClassRef ref = nullptr;
    EventHandlerUPP handler = nullptr;
};
void RegisterControlClass(ControlClassRec* theClass, const ControlClassDescRec& theDesc);
// Does nothing for a class not registered, so the hosts' calls may come in
// any order and twice.
void UnregisterControlClass(ControlClassRec* theClass);

// The parameters every control class handler reads and answers.
ControlRef GetEventControl(EventRef theEvent);
Point GetEventMouseLocation(EventRef theEvent);
void SetEventControlPart(EventRef theEvent, ControlPartCode thePart);

#endif

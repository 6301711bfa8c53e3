/* The window and control services the dialogs are written against, over Qt
 * Widgets: windows made from the Qt Designer layouts of a bundle's nib
 * folders, controls found by a four-character signature and a number,
 * command and control events delivered to installed handlers, an
 * application-modal loop, slider action procedures, and control classes
 * whose drawing and mouse handling are the registering code's own.
 *
 * A nib NAME is the folder Resources/NAME.nib of the bundle; each window in
 * it is a file WINDOW.ui. Widgets become controls through dynamic
 * properties: "signature" (four characters) and "controlID" (a number) name
 * a control, "command" (four characters) is the command a button, pop-up or
 * custom control sends, and "classID" makes a placeholder widget a control
 * of the registered class of that ID.
 *
 * Control coordinates are those of the window's content, top-left origin.
 * Each window has a port, a 32-bit offscreen buffer the size of its
 * content: custom controls draw into it with QuickDraw and Quartz, and the
 * screen shows each custom control's part of it. */
#ifndef HZ_PLATFORM_HITOOLBOX_H
#define HZ_PLATFORM_HITOOLBOX_H

#include <stdint.h>

#include "platform/corefoundation/CoreFoundation.h"
#include "platform/quickdraw/QuickDraw.h"
#include "platform/types/MacTypes.h"

typedef int16_t ControlPartCode;
typedef uint32_t EventParamName;
typedef uint32_t EventParamType;
typedef uint16_t MouseTrackingResult;

enum {
    errUnknownControl = -30584,
    errNibNotFound = -1,     /* no such nib folder in the bundle */
    errWindowNotFound = -2,  /* the nib has no window of that name */
    errWindowUnreadable = -3 /* the layout file is not one Qt can load */
};

/* Events: classes, kinds, parameters, types. */
enum {
    kEventClassCommand = 0x636D6473, /* 'cmds' */
    kEventClassControl = 0x636E746C, /* 'cntl' */
    kEventCommandProcess = 1,
    kEventControlHit = 1,
    kEventControlHitTest = 3,
    kEventControlDraw = 4,
    kEventControlActivate = 9,
    kEventControlTrack = 51,
    kEventControlOwningWindowChanged = 159
};
enum {
    kEventParamDirectObject = 0x2D2D2D2D,       /* '----' */
    kEventParamMouseLocation = 0x6D6C6F63,      /* 'mloc' */
    kEventParamKeyModifiers = 0x6B6D6F64,       /* 'kmod' */
    kEventParamControlPart = 0x63707274,        /* 'cprt' */
    kEventParamMouseTrackingResult = 0x6D74726B /* 'mtrk' */
};
enum {
    typeHICommand = 0x68636D64,          /* 'hcmd' */
    typeControlRef = 0x6374726C,         /* 'ctrl' */
    typeQDPoint = 0x51447074,            /* 'QDpt' */
    typeUInt32 = 0x6D61676E,             /* 'magn' */
    typeControlPartCode = 0x63707274,    /* 'cprt' */
    typeMouseTrackingResult = 0x6D74726B /* 'mtrk' */
};
/* Key modifier bits of 'kmod'. */
enum { shiftKey = 512, optionKey = 2048, controlKey = 4096 };
/* Standard commands: Return and Escape send these, and closing a window
 * from its frame counts as the cancel command. */
enum { kHICommandOK = 0x6F6B2020 /* 'ok  ' */, kHICommandCancel = 0x6E6F7421 /* 'not!' */ };
enum { kMouseTrackingMouseDown = 1, kMouseTrackingMouseUp = 2, kMouseTrackingMouseDragged = 5 };
/* Highlight values that mean the control is not to be drawn as usable. */
enum { kControlDisabledPart = 254, kControlInactivePart = 255 };
enum { kControlEntireControl = 0, kControlIndicatorPart = 129 };
enum { kControlEditTextTextTag = 0x74657874 /* 'text' */ };

typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueToolboxObjectClassRef* ToolboxObjectClassRef;
typedef struct OpaqueIBNibRef* IBNibRef;

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                                        void* inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;
typedef void (*ControlActionProcPtr)(ControlRef theControl, ControlPartCode partCode);
typedef ControlActionProcPtr ControlActionUPP;

typedef struct EventTypeSpec {
    uint32_t eventClass;
    uint32_t eventKind;
} EventTypeSpec;

typedef struct HICommand {
    uint32_t attributes;
    uint32_t commandID;
} HICommand;

typedef struct ControlID {
    OSType signature;
    int32_t id;
} ControlID;

/* Nibs and windows. */
OSStatus CreateNibReferenceWithCFBundle(CFBundleRef inBundle, CFStringRef inNibName,
                                        IBNibRef* outNibRef);
OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef* outWindow);
void DisposeNibReference(IBNibRef inNibRef);
/* Also removes the window's handlers and controls. */
void DisposeWindow(WindowRef window);
void ShowWindow(WindowRef window);
void BringToFront(WindowRef window);
CGrafPtr GetWindowPort(WindowRef window);
void SetPortWindowPort(WindowRef window);
/* Runs until a handler calls QuitAppModalLoopForWindow for the window;
 * other windows take no input meanwhile. */
OSStatus RunAppModalLoopForWindow(WindowRef window);
OSStatus QuitAppModalLoopForWindow(WindowRef window);

/* Events. Handlers of a target run latest-installed first until one
 * answers something other than eventNotHandledErr. */
EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine);
void DisposeEventHandlerUPP(EventHandlerUPP userUPP);
EventTargetRef GetWindowEventTarget(WindowRef window);
OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, uint32_t numTypes,
                             const EventTypeSpec* list, void* userData,
                             EventHandlerRef* outHandlerRef);
uint32_t GetEventKind(EventRef event);
/* eventParameterNotFoundErr for a missing parameter, and for one whose
 * type is not the one asked for. */
enum { eventParameterNotFoundErr = -9870 };
OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, uint32_t bufferSize,
                           uint32_t* outActualSize, void* outData);
OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, uint32_t size,
                           const void* data);

/* Controls. */
OSStatus GetControlByID(WindowRef inWindow, const ControlID* inID, ControlRef* outControl);
WindowRef GetControlOwner(ControlRef control);
/* Sliders hold their own value and range; a pop-up's value is its item
 * (from 1); a custom control keeps the numbers for its handler. Values are
 * pinned into the range. Setting a custom control's value redraws it. */
int32_t GetControl32BitValue(ControlRef control);
void SetControl32BitValue(ControlRef control, int32_t value);
void SetControl32BitMinimum(ControlRef control, int32_t minimum);
void SetControl32BitMaximum(ControlRef control, int32_t maximum);
/* A pointer-sized value the control keeps for its owner. */
void SetControlReference(ControlRef control, intptr_t data);
intptr_t GetControlReference(ControlRef control);
/* Only kControlEditTextTextTag: Mac OS Roman bytes, no terminator. */
OSErr SetControlData(ControlRef control, ControlPartCode part, ResType tagName, Size size,
                     const void* data);
void Draw1Control(ControlRef control);
void ShowControl(ControlRef control);
void HideControl(ControlRef control);
/* Greyed out: it takes no clicks and sends no command. */
OSStatus DisableControl(ControlRef control);
Rect* GetControlBounds(ControlRef control, Rect* bounds);
/* 0 normally, the part being pressed while a custom control without its
 * own tracking is held down, kControlDisabledPart when disabled. */
ControlPartCode GetControlHilite(ControlRef control);
/* Called with the slider while the user moves it (its thumb dragged, a
 * page clicked, a key pressed), never for values set by the program. */
void SetControlAction(ControlRef control, ControlActionUPP actionProc);
ControlActionUPP NewControlActionUPP(ControlActionProcPtr userRoutine);

/* Control classes. The handler gets the events of the list, with the
 * control as '----' of type 'ctrl':
 * - kEventControlDraw: draw into the owner window's port; the screen
 *   follows when the handler returns.
 * - kEventControlHitTest: 'mloc' in; answer the part under it as 'cprt'.
 * - kEventControlTrack (only if listed): a press on a part (part not 0)
 *   is one event per mouse step, each with 'mloc', 'kmod' and 'mtrk':
 *   kMouseTrackingMouseDown first, kMouseTrackingMouseDragged for each
 *   move (also outside the control), kMouseTrackingMouseUp last.
 *   Without it, the part is highlighted while the mouse is held.
 * - kEventControlHit: a press released over the control, with 'cprt' and
 *   'kmod'. When it is not handled, the control's command goes to its
 *   window.
 * A class may list other kinds too; these are the ones this layer sends. */
OSStatus RegisterToolboxObjectClass(CFStringRef inClassID, ToolboxObjectClassRef inBaseClass,
                                    uint32_t inNumEvents, const EventTypeSpec* inEventList,
                                    EventHandlerUPP inEventHandler, void* inEventHandlerData,
                                    ToolboxObjectClassRef* outClassRef);
/* Controls already made from the class keep working until their window goes. */
OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef inClassRef);

#endif

// What the window layer's files share: the records behind its references.
#ifndef HZ_PLATFORM_HITOOLBOX_TOOLBOXPRIVATE_H
#define HZ_PLATFORM_HITOOLBOX_TOOLBOXPRIVATE_H

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/hitoolbox/HIToolbox.h"

class QEventLoop;

struct OpaqueEventRef {
    struct Parameter {
        EventParamName name;
        EventParamType type;
        std::vector<uint8_t> bytes;
    };
    uint32_t eventClass;
    uint32_t eventKind;
    std::vector<Parameter> parameters;
};

struct OpaqueEventHandlerRef {
    EventHandlerUPP proc;
    std::vector<EventTypeSpec> types;
    void* userData;
};

struct OpaqueEventTargetRef {
    std::vector<std::unique_ptr<OpaqueEventHandlerRef>> handlers;
};

struct OpaqueToolboxObjectClassRef {
    std::string classID;
    std::vector<EventTypeSpec> events;
    EventHandlerUPP handler;
    void* userData;
};
// Controls hold their class, so unregistering cannot pull it from under them.
using ToolboxClassPtr = std::shared_ptr<OpaqueToolboxObjectClassRef>;

struct OpaqueControlRef {
    OpaqueWindowPtr* owner;
    QPointer<QWidget> widget;
    ControlID controlID;
    uint32_t command;
    ToolboxClassPtr objectClass;  // nil for Qt's own widgets
    int32_t value = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
    intptr_t reference = 0;
    ControlActionUPP action = nullptr;
    // Set while the program changes a widget, so its signals are not taken
    // for the user's doing.
    bool changingByProgram = false;
    ControlPartCode hilite = 0;
};

struct OpaqueWindowPtr {
    QWidget* widget;
    GWorldPtr port;
    std::vector<std::unique_ptr<OpaqueControlRef>> controls;
    OpaqueEventTargetRef target;
    QEventLoop* modalLoop = nullptr;
};

namespace hitoolbox {

OSStatus SendEventToTarget(EventRef event, OpaqueEventTargetRef* target);
// A command event to the window's handlers.
OSStatus SendCommand(WindowRef window, uint32_t commandID);
// Closes whatever modal box of Qt's is up (an alert, the colour picker) and
// sends the cancel command to every window in a modal loop, innermost first.
void CancelModalWindows();
bool HandlesEvent(const OpaqueToolboxObjectClassRef& objectClass, uint32_t kind);
// The class handler's answer to an event about the control.
OSStatus SendControlClassEvent(ControlRef control, EventRef event);
ToolboxClassPtr FindRegisteredClass(const std::string& classID);
// The widget that stands for a control of a registered class.
QWidget* MakeCustomControlWidget(ControlRef control, QWidget* parent);
// Buttons send their command, sliders call their action procedure.
void ConnectStandardControl(ControlRef control);
uint32_t FourCharCodeOf(const QString& text);
QString TextFromMacRoman(const void* bytes, Size size);

}  // namespace hitoolbox

#endif

#include <algorithm>
#include <cstring>

#include "platform/hitoolbox/ToolboxPrivate.h"

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine) { return userRoutine; }

void DisposeEventHandlerUPP(EventHandlerUPP) {}

EventTargetRef GetWindowEventTarget(WindowRef window) { return window ? &window->target : nullptr; }

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, uint32_t numTypes,
                             const EventTypeSpec* list, void* userData,
                             EventHandlerRef* outHandlerRef) {
    if (!target || !handler || (numTypes && !list)) return paramErr;
    auto record = std::make_unique<OpaqueEventHandlerRef>(OpaqueEventHandlerRef{
        handler, std::vector<EventTypeSpec>(list, list + numTypes), userData});
    if (outHandlerRef) *outHandlerRef = record.get();
    target->handlers.push_back(std::move(record));
    return noErr;
}

uint32_t GetEventKind(EventRef event) { return event ? event->eventKind : 0; }

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, uint32_t bufferSize,
                           uint32_t* outActualSize, void* outData) {
    if (!event) return paramErr;
    for (const auto& p : event->parameters) {
        if (p.name != name) continue;
        if (p.type != desiredType) return eventParameterNotFoundErr;
        if (outActualType) *outActualType = p.type;
        if (outActualSize) *outActualSize = static_cast<uint32_t>(p.bytes.size());
        if (outData)
            std::memcpy(outData, p.bytes.data(), std::min<size_t>(bufferSize, p.bytes.size()));
        return noErr;
    }
    return eventParameterNotFoundErr;
}

OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, uint32_t size,
                           const void* data) {
    if (!event || (size && !data)) return paramErr;
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::erase_if(event->parameters, [name](const auto& p) { return p.name == name; });
    event->parameters.push_back({name, type, std::vector<uint8_t>(bytes, bytes + size)});
    return noErr;
}

namespace hitoolbox {

OSStatus SendEventToTarget(EventRef event, OpaqueEventTargetRef* target) {
    if (!event || !target) return paramErr;
    // A handler may install or remove handlers: walk a snapshot.
    std::vector<OpaqueEventHandlerRef> handlers;
    for (const auto& h : target->handlers) handlers.push_back(*h);
    for (auto h = handlers.rbegin(); h != handlers.rend(); ++h) {
        const bool wanted = std::any_of(h->types.begin(), h->types.end(), [event](auto t) {
            return t.eventClass == event->eventClass && t.eventKind == event->eventKind;
        });
        if (!wanted) continue;
        const OSStatus result = h->proc(nullptr, event, h->userData);
        if (result != eventNotHandledErr) return result;
    }
    return eventNotHandledErr;
}

OSStatus SendCommand(WindowRef window, uint32_t commandID) {
    OpaqueEventRef event{kEventClassCommand, kEventCommandProcess, {}};
    const HICommand command = {0, commandID};
    SetEventParameter(&event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
    return SendEventToTarget(&event, &window->target);
}

}  // namespace hitoolbox

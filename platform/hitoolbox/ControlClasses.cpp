#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "platform/hitoolbox/PortImage.h"
#include "platform/hitoolbox/ToolboxPrivate.h"

namespace {

enum { hiObjectClassExistsErr = -22080 };

std::vector<ToolboxClassPtr>& RegisteredClasses() {
    static std::vector<ToolboxClassPtr> classes;
    return classes;
}

uint32_t KeyModifiersOf(Qt::KeyboardModifiers modifiers) {
    uint32_t kmod = 0;
    if (modifiers & Qt::ShiftModifier) kmod |= shiftKey;
    if (modifiers & Qt::AltModifier) kmod |= optionKey;
    if (modifiers & Qt::ControlModifier) kmod |= controlKey;
    return kmod;
}

// A control of a registered class: its handler draws it into the window's
// port and answers for the mouse; the widget shows its part of the port.
class CustomControl : public QWidget {
  public:
    CustomControl(ControlRef control, QWidget* parent) : QWidget(parent), control_(control) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        OpaqueEventRef draw{kEventClassControl, kEventControlDraw, {}};
        Send(&draw);
        Rect bounds;
        GetControlBounds(control_, &bounds);
        hitoolbox::CopyPortToImage(control_->owner->port, bounds, &image_);
        QPainter(this).drawImage(0, 0, image_);
    }

    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton || trackedPart_) return;
        const Point where = WindowPoint(e);
        const uint32_t kmod = KeyModifiersOf(e->modifiers());
        OpaqueEventRef hitTest{kEventClassControl, kEventControlHitTest, {}};
        SetEventParameter(&hitTest, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
        SetEventParameter(&hitTest, kEventParamKeyModifiers, typeUInt32, sizeof kmod, &kmod);
        Send(&hitTest);
        ControlPartCode part = 0;
        GetEventParameter(&hitTest, kEventParamControlPart, typeControlPartCode, nullptr,
                          sizeof part, nullptr, &part);
        if (part == 0) return;
        trackedPart_ = part;
        if (TracksItself()) {
            Track(kMouseTrackingMouseDown, e);
        } else {
            Highlight(part);
        }
    }

    void mouseMoveEvent(QMouseEvent* e) override {
        if (!trackedPart_) return;
        if (TracksItself()) {
            Track(kMouseTrackingMouseDragged, e);
        } else {
            Highlight(rect().contains(e->position().toPoint()) ? trackedPart_ : 0);
        }
    }

    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton || !trackedPart_) return;
        const ControlPartCode part = trackedPart_;
        trackedPart_ = 0;
        if (TracksItself()) {
            Track(kMouseTrackingMouseUp, e);
        } else {
            Highlight(0);
        }
        if (!rect().contains(e->position().toPoint())) return;
        OpaqueEventRef hit{kEventClassControl, kEventControlHit, {}};
        const uint32_t kmod = KeyModifiersOf(e->modifiers());
        SetEventParameter(&hit, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
        SetEventParameter(&hit, kEventParamKeyModifiers, typeUInt32, sizeof kmod, &kmod);
        if (Send(&hit) == eventNotHandledErr && control_->command)
            hitoolbox::SendCommand(control_->owner, control_->command);
    }

  private:
    bool TracksItself() const {
        return hitoolbox::HandlesEvent(*control_->objectClass, kEventControlTrack);
    }

    Point WindowPoint(const QMouseEvent* e) const {
        const QPoint p = mapTo(control_->owner->widget, e->position().toPoint());
        return Point{static_cast<int16_t>(p.y()), static_cast<int16_t>(p.x())};
    }

    OSStatus Send(EventRef event) { return hitoolbox::SendControlClassEvent(control_, event); }

    void Track(MouseTrackingResult result, const QMouseEvent* e) {
        const Point where = WindowPoint(e);
        const uint32_t kmod = KeyModifiersOf(e->modifiers());
        OpaqueEventRef track{kEventClassControl, kEventControlTrack, {}};
        SetEventParameter(&track, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
        SetEventParameter(&track, kEventParamKeyModifiers, typeUInt32, sizeof kmod, &kmod);
        SetEventParameter(&track, kEventParamMouseTrackingResult, typeMouseTrackingResult,
                          sizeof result, &result);
        Send(&track);
        // The handler may have drawn into the port while it tracked.
        update();
    }

    void Highlight(ControlPartCode part) {
        if (control_->hilite == part) return;
        control_->hilite = part;
        repaint();
    }

    ControlRef control_;
    ControlPartCode trackedPart_ = 0;
    QImage image_;
};

}  // namespace

namespace hitoolbox {

bool HandlesEvent(const OpaqueToolboxObjectClassRef& objectClass, uint32_t kind) {
    return std::any_of(objectClass.events.begin(), objectClass.events.end(), [kind](auto t) {
        return t.eventClass == kEventClassControl && t.eventKind == kind;
    });
}

OSStatus SendControlClassEvent(ControlRef control, EventRef event) {
    const OpaqueToolboxObjectClassRef& objectClass = *control->objectClass;
    if (!HandlesEvent(objectClass, event->eventKind)) return eventNotHandledErr;
    SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof control, &control);
    return objectClass.handler(nullptr, event, objectClass.userData);
}

ToolboxClassPtr FindRegisteredClass(const std::string& classID) {
    for (const auto& c : RegisteredClasses())
        if (c->classID == classID) return c;
    return nullptr;
}

QWidget* MakeCustomControlWidget(ControlRef control, QWidget* parent) {
    return new CustomControl(control, parent);
}

}  // namespace hitoolbox

OSStatus RegisterToolboxObjectClass(CFStringRef inClassID, ToolboxObjectClassRef,
                                    uint32_t inNumEvents, const EventTypeSpec* inEventList,
                                    EventHandlerUPP inEventHandler, void* inEventHandlerData,
                                    ToolboxObjectClassRef* outClassRef) {
    if (!inClassID || !inEventHandler || (inNumEvents && !inEventList) || !outClassRef)
        return paramErr;
    char classID[256];
    if (!CFStringGetCString(inClassID, classID, sizeof classID, kCFStringEncodingUTF8))
        return paramErr;
    if (hitoolbox::FindRegisteredClass(classID)) return hiObjectClassExistsErr;
    auto objectClass = std::make_shared<OpaqueToolboxObjectClassRef>(OpaqueToolboxObjectClassRef{
        classID, std::vector<EventTypeSpec>(inEventList, inEventList + inNumEvents), inEventHandler,
        inEventHandlerData});
    *outClassRef = objectClass.get();
    RegisteredClasses().push_back(std::move(objectClass));
    return noErr;
}

OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef inClassRef) {
    auto& classes = RegisteredClasses();
    const auto found = std::find_if(classes.begin(), classes.end(),
                                    [inClassRef](const auto& c) { return c.get() == inClassRef; });
    if (found == classes.end()) return paramErr;
    classes.erase(found);
    return noErr;
}

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <cstring>

#include "platform/hitoolbox/ToolboxPrivate.h"

namespace {

// While the program sets a widget, its signals are the program's, not the user's.
class ProgramChange {
  public:
    explicit ProgramChange(ControlRef control) : control_(control) {
        control_->changingByProgram = true;
    }
    ~ProgramChange() { control_->changingByProgram = false; }
    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;

  private:
    ControlRef control_;
};

QAbstractSlider* SliderOf(ControlRef c) { return qobject_cast<QAbstractSlider*>(c->widget); }
QComboBox* PopUpOf(ControlRef c) { return qobject_cast<QComboBox*>(c->widget); }

}  // namespace

namespace hitoolbox {

uint32_t FourCharCodeOf(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    uint32_t code = 0;
    for (int i = 0; i < 4; ++i)
        code = code << 8 | static_cast<uint8_t>(i < bytes.size() ? bytes[i] : ' ');
    return text.isEmpty() ? 0 : code;
}

QString TextFromMacRoman(const void* bytes, Size size) {
    Str255 text;
    text[0] = static_cast<unsigned char>(std::clamp<Size>(size, 0, 255));
    if (text[0]) std::memcpy(text + 1, bytes, text[0]);
    CFStringRef s = CFStringCreateWithPascalString(nullptr, text, kCFStringEncodingMacRoman);
    if (!s) return {};
    char utf8[256 * 3 + 1];
    const bool ok = CFStringGetCString(s, utf8, sizeof utf8, kCFStringEncodingUTF8);
    CFRelease(s);
    return ok ? QString::fromUtf8(utf8) : QString();
}

void ConnectStandardControl(ControlRef control) {
    QWidget* w = control->widget;
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        QObject::connect(button, &QAbstractButton::clicked, [control] {
            if (control->command) SendCommand(control->owner, control->command);
        });
    } else if (auto* popUp = qobject_cast<QComboBox*>(w)) {
        QObject::connect(popUp, &QComboBox::activated, [control] {
            if (control->command) SendCommand(control->owner, control->command);
        });
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(w)) {
        QObject::connect(slider, &QAbstractSlider::valueChanged, [control, slider] {
            if (control->changingByProgram || !control->action) return;
            control->action(control, slider->isSliderDown() ? ControlPartCode{kControlIndicatorPart}
                                                            : ControlPartCode{0});
        });
    }
}

}  // namespace hitoolbox

OSStatus GetControlByID(WindowRef inWindow, const ControlID* inID, ControlRef* outControl) {
    if (!inWindow || !inID || !outControl) return paramErr;
    *outControl = nullptr;
    for (const auto& c : inWindow->controls) {
        if (c->controlID.signature == inID->signature && c->controlID.id == inID->id) {
            *outControl = c.get();
            return noErr;
        }
    }
    return errUnknownControl;
}

WindowRef GetControlOwner(ControlRef control) { return control ? control->owner : nullptr; }

int32_t GetControl32BitValue(ControlRef control) {
    if (!control) return 0;
    if (auto* s = SliderOf(control)) return s->value();
    if (auto* p = PopUpOf(control)) return p->currentIndex() + 1;
    return control->value;
}

void SetControl32BitValue(ControlRef control, int32_t value) {
    if (!control) return;
    ProgramChange change(control);
    if (auto* s = SliderOf(control)) {
        s->setValue(value);
    } else if (auto* p = PopUpOf(control)) {
        p->setCurrentIndex(std::clamp(value, 1, std::max(1, p->count())) - 1);
    } else {
        control->value =
            std::clamp(value, control->minimum, std::max(control->minimum, control->maximum));
        if (control->objectClass) Draw1Control(control);
    }
}

void SetControl32BitMinimum(ControlRef control, int32_t minimum) {
    if (!control) return;
    ProgramChange change(control);
    if (auto* s = SliderOf(control)) {
        s->setMinimum(minimum);
    } else if (!PopUpOf(control)) {
        control->minimum = minimum;
        control->maximum = std::max(minimum, control->maximum);
        control->value = std::max(minimum, control->value);
    }
}

void SetControl32BitMaximum(ControlRef control, int32_t maximum) {
    if (!control) return;
    ProgramChange change(control);
    if (auto* s = SliderOf(control)) {
        s->setMaximum(maximum);
    } else if (!PopUpOf(control)) {
        control->maximum = maximum;
        control->minimum = std::min(maximum, control->minimum);
        control->value = std::min(maximum, control->value);
    }
}

void SetControlReference(ControlRef control, intptr_t data) {
    if (control) control->reference = data;
}

intptr_t GetControlReference(ControlRef control) { return control ? control->reference : 0; }

OSErr SetControlData(ControlRef control, ControlPartCode, ResType tagName, Size size,
                     const void* data) {
    if (!control || tagName != kControlEditTextTextTag || size < 0 || (size && !data))
        return paramErr;
    const QString text = hitoolbox::TextFromMacRoman(data, size);
    QWidget* w = control->widget;
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
    } else {
        return paramErr;
    }
    return noErr;
}

void Draw1Control(ControlRef control) {
    if (control && control->widget) control->widget->repaint();
}

void ShowControl(ControlRef control) {
    if (control && control->widget) control->widget->show();
}

void HideControl(ControlRef control) {
    if (control && control->widget) control->widget->hide();
}

OSStatus DisableControl(ControlRef control) {
    if (!control || !control->widget) return errUnknownControl;
    control->widget->setEnabled(false);
    return noErr;
}

Rect* GetControlBounds(ControlRef control, Rect* bounds) {
    if (!bounds) return bounds;
    *bounds = Rect{0, 0, 0, 0};
    if (!control || !control->widget) return bounds;
    const QPoint topLeft = control->widget->mapTo(control->owner->widget, QPoint(0, 0));
    const QSize size = control->widget->size();
    *bounds = Rect{static_cast<int16_t>(topLeft.y()), static_cast<int16_t>(topLeft.x()),
                   static_cast<int16_t>(topLeft.y() + size.height()),
                   static_cast<int16_t>(topLeft.x() + size.width())};
    return bounds;
}

ControlPartCode GetControlHilite(ControlRef control) {
    if (!control || !control->widget) return 0;
    return control->widget->isEnabled() ? control->hilite : ControlPartCode{kControlDisabledPart};
}

void SetControlAction(ControlRef control, ControlActionUPP actionProc) {
    if (control) control->action = actionProc;
}

ControlActionUPP NewControlActionUPP(ControlActionProcPtr userRoutine) { return userRoutine; }

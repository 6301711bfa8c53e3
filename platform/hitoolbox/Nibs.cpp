#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QUiLoader>
#include <cstring>
#include <new>
#include <string>

#include "platform/corefoundation/CFStringText.h"
#include "platform/hitoolbox/ToolboxPrivate.h"

struct OpaqueIBNibRef {
    QString folder;
};

namespace {

// Return and Escape answer for the default and cancel buttons, and closing
// the window from its frame cancels, as a dialog without a close box would
// have the user do.
class StandardKeys : public QObject {
  public:
    StandardKeys(WindowRef window) : QObject(window->widget), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_->widget) return false;
        if (event->type() == QEvent::Close) {
            event->ignore();
            hitoolbox::SendCommand(window_, kHICommandCancel);
            return true;
        }
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            hitoolbox::SendCommand(window_, kHICommandCancel);
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && HasCommand(kHICommandOK)) {
            hitoolbox::SendCommand(window_, kHICommandOK);
            return true;
        }
        return false;
    }

  private:
    bool HasCommand(uint32_t command) const {
        for (const auto& c : window_->controls)
            if (c->command == command) return true;
        return false;
    }
    WindowRef window_;
};

int32_t IntProperty(const QWidget* w, const char* name, int32_t otherwise) {
    const QVariant v = w->property(name);
    return v.isValid() ? v.toInt() : otherwise;
}

std::unique_ptr<OpaqueControlRef> ControlFor(WindowRef window, QWidget* w) {
    auto control = std::make_unique<OpaqueControlRef>();
    control->owner = window;
    control->widget = w;
    control->controlID = {hitoolbox::FourCharCodeOf(w->property("signature").toString()),
                          IntProperty(w, "controlID", 0)};
    control->command = hitoolbox::FourCharCodeOf(w->property("command").toString());
    control->minimum = IntProperty(w, "minimum", 0);
    control->maximum = IntProperty(w, "maximum", 0);
    control->value = IntProperty(w, "value", 0);
    return control;
}

// A placeholder naming a registered class gives way to a widget of that
// class, in the same place; one naming no registered class stays as it is.
void MakeControls(WindowRef window) {
    const QList<QWidget*> widgets = window->widget->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        const bool named = w->property("signature").isValid() || w->property("command").isValid();
        const QVariant classID = w->property("classID");
        if (!named && !classID.isValid()) continue;
        auto control = ControlFor(window, w);
        control->objectClass = hitoolbox::FindRegisteredClass(classID.toString().toStdString());
        if (control->objectClass) {
            QWidget* custom = hitoolbox::MakeCustomControlWidget(control.get(), w->parentWidget());
            custom->setObjectName(w->objectName());
            for (const QByteArray& name : w->dynamicPropertyNames())
                custom->setProperty(name, w->property(name));
            custom->setGeometry(w->geometry());
            custom->setVisible(!w->isHidden());
            custom->setEnabled(w->isEnabled());
            custom->stackUnder(w);
            delete w;
            control->widget = custom;
        } else {
            hitoolbox::ConnectStandardControl(control.get());
        }
        window->controls.push_back(std::move(control));
    }
}

}  // namespace

OSStatus CreateNibReferenceWithCFBundle(CFBundleRef inBundle, CFStringRef inNibName,
                                        IBNibRef* outNibRef) {
    if (!inBundle || !inNibName || !outNibRef) return paramErr;
    CFURLRef bundleURL = CFBundleCopyBundleURL(inBundle);
    uint8_t path[1024];
    const bool havePath =
        bundleURL && CFURLGetFileSystemRepresentation(bundleURL, true, path, sizeof path);
    if (bundleURL) CFRelease(bundleURL);
    if (!havePath) return errNibNotFound;
    const QString folder = QString::fromUtf8(reinterpret_cast<const char*>(path)) +
                           "/Contents/Resources/" + QString::fromStdString(UTF8Of(inNibName)) +
                           ".nib";
    if (!QFileInfo(folder).isDir()) return errNibNotFound;
    *outNibRef = new (std::nothrow) OpaqueIBNibRef{folder};
    return *outNibRef ? noErr : memFullErr;
}

void DisposeNibReference(IBNibRef inNibRef) { delete inNibRef; }

OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef* outWindow) {
    if (!inNibRef || !inName || !outWindow) return paramErr;
    *outWindow = nullptr;
    QFile file(inNibRef->folder + "/" + QString::fromStdString(UTF8Of(inName)) + ".ui");
    if (!file.open(QIODevice::ReadOnly)) return errWindowNotFound;
    QUiLoader loader;
    QWidget* widget = loader.load(&file);
    if (!widget) return errWindowUnreadable;
    widget->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    widget->setFixedSize(widget->size());

    const Rect content = {0, 0, static_cast<int16_t>(widget->height()),
                          static_cast<int16_t>(widget->width())};
    GWorldPtr port = nullptr;
    const QDErr err = NewGWorld(&port, 32, &content, nullptr, nullptr, 0);
    if (err != noErr) {
        delete widget;
        return err;
    }
    // White, as a window's content starts.
    std::memset(port->pixMap.baseAddr, 0xFF,
                static_cast<size_t>(port->pixMap.rowBytes) * static_cast<size_t>(content.bottom));
    auto* window = new OpaqueWindowPtr{widget, port, {}, {}, nullptr};
    MakeControls(window);
    widget->installEventFilter(new StandardKeys(window));
    *outWindow = window;
    return noErr;
}

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <algorithm>

#include "platform/hitoolbox/ToolboxPrivate.h"

namespace {

// The windows whose modal loops run, innermost last.
std::vector<WindowRef> lgModalWindows;

bool InModalLoop(const QWidget* widget) {
    return std::any_of(lgModalWindows.begin(), lgModalWindows.end(),
                       [widget](WindowRef w) { return w->widget == widget; });
}

}  // namespace

namespace hitoolbox {

void CancelModalWindows() {
    // Each box closed uncovers the next; one that will not close is left.
    for (QWidget *box = nullptr, *last = nullptr;
         (box = QApplication::activeModalWidget()) && box != last && !InModalLoop(box); last = box)
        box->close();
    const std::vector<WindowRef> windows = lgModalWindows;
    for (auto w = windows.rbegin(); w != windows.rend(); ++w) SendCommand(*w, kHICommandCancel);
}

}  // namespace hitoolbox

void DisposeWindow(WindowRef window) {
    if (!window) return;
    delete window->widget;
    DisposeGWorld(window->port);
    delete window;
}

void ShowWindow(WindowRef window) {
    if (window) window->widget->show();
}

void BringToFront(WindowRef window) {
    if (!window) return;
    window->widget->raise();
    window->widget->activateWindow();
}

CGrafPtr GetWindowPort(WindowRef window) { return window ? window->port : nullptr; }

void SetPortWindowPort(WindowRef window) { SetPort(GetWindowPort(window)); }

OSStatus RunAppModalLoopForWindow(WindowRef window) {
    if (!window || window->modalLoop) return paramErr;
    // Qt takes a change of modality only as the window is shown.
    QWidget* w = window->widget;
    if (w->windowModality() != Qt::ApplicationModal) {
        w->hide();
        w->setWindowModality(Qt::ApplicationModal);
    }
    w->show();
    QEventLoop loop;
    window->modalLoop = &loop;
    lgModalWindows.push_back(window);
    loop.exec();
    lgModalWindows.pop_back();
    window->modalLoop = nullptr;
    return noErr;
}

OSStatus QuitAppModalLoopForWindow(WindowRef window) {
    if (!window || !window->modalLoop) return paramErr;
    window->modalLoop->quit();
    return noErr;
}

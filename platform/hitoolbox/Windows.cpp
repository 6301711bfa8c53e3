#include <QEventLoop>
#include <QKeyEvent>

#include "platform/hitoolbox/ToolboxPrivate.h"

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
    loop.exec();
    window->modalLoop = nullptr;
    return noErr;
}

OSStatus QuitAppModalLoopForWindow(WindowRef window) {
    if (!window || !window->modalLoop) return paramErr;
    window->modalLoop->quit();
    return noErr;
}

// The plug-in's standard alerts as modal Qt message boxes. Installed once,
// the presenter shows a window whenever a QApplication is running and hands
// the alert to the text form otherwise, so rendering without a display
// never starts Qt. No Qt header here: callers need none.
#ifndef HZ_PLATFORM_ALERTSQT_ALERTSQT_H
#define HZ_PLATFORM_ALERTSQT_ALERTSQT_H

#include "platform/alerts/Alerts.h"

void InstallQtAlertPresenter();
DialogItemIndex PresentAlertInQt(const AlertDescription* alert);

#endif

// The small window with the effect's name and version.
#ifndef HZ_DIALOG_ABOUTWINDOW_H
#define HZ_DIALOG_ABOUTWINDOW_H

#include "platform/hitoolbox/HIToolbox.h"

// Returns when the window has been closed.
void ShowAbout();
OSStatus AboutDialogHandler(EventHandlerCallRef myHandler, EventRef theEvent, void* userData);

#endif

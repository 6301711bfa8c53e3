// What the host-entry layer installs as the engine's dialog hooks.
#ifndef HZ_DIALOG_DIALOGENTRY_H
#define HZ_DIALOG_DIALOGENTRY_H

#include "dialog/configdlghandler.h"

// The colour box, the clip control and the picture box.
void RegisterDialogControls();
void UnregisterDialogControls();

#endif

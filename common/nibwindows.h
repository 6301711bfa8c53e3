// Windows made from the nib files inside a bundle. Kept apart from the other
// common procedures because it is the one that needs the window layer.
#ifndef HZ_COMMON_NIBWINDOWS_H
#define HZ_COMMON_NIBWINDOWS_H

#include "platform/types/MacTypes.h"

// The window, not yet shown. Stops the process when the bundle or the nib
// cannot be found; ends it without an alert when the nib lacks the window.
WindowRef OpenNibWindowFromCFBundle(const char* theBundleID, const char* theNibName,
                                    const char* theWindowName);

#endif

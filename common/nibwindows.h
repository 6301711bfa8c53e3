// Windows made from the nib files inside a bundle. Kept apart from the other
// common procedures because it is the one that needs the window layer.
#ifndef HZ_COMMON_NIBWINDOWS_H
#define HZ_COMMON_NIBWINDOWS_H

#include "platform/types/MacTypes.h"

// The window, not yet shown. Stops the process when no bundle has the
// identifier, which only the host's own set-up can get wrong; null when the
// bundle lacks the nib or the nib the window, a damaged bundle the caller
// tells the person of.
WindowRef OpenNibWindowFromCFBundle(const char* theBundleID, const char* theNibName,
                                    const char* theWindowName);

#endif

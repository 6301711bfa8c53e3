// The configuration dialog: one window per video format, run modally on
// the master settings record.
#ifndef HZ_DIALOG_CONFIGDLGHANDLER_H
#define HZ_DIALOG_CONFIGDLGHANDLER_H

#include "platform/hitoolbox/HIToolbox.h"
#include "record/PluginData.h"

// OK keeps the edits and saves them; Cancel puts the record back byte for
// byte as it was when the dialog opened and answers userCanceledErr.
OSErr DoConfig(PluginDataPtr theConfig);
// resNotFound, said to the person, where the window's layout lacks a
// control: DoConfig then closes the window and answers it.
OSErr SetupDialog(WindowPtr theWindow, PluginDataPtr theConfig);
OSErr SetupColors(WindowPtr theWindow, PluginDataPtr theConfig);
// The controls set from the record; the caller re-renders the preview.
void Config2Dlg(PluginDataPtr theConfig);
OSStatus TheDialogHandler(EventHandlerCallRef myHandler, EventRef theEvent, void* userData);

#endif

#include "dialog/aboutwindow.h"

#include "common/ProductNames.h"
#include "common/commonprocs.h"
#include "common/nibwindows.h"
#include "dialog/carbonmacros.h"
#include "platform/text/TextUtils.h"
#include "record/PluginData.h"

void ShowAbout() {
    SavedGWorld saved;
    WindowRef theWindow = OpenNibWindowFromCFBundle(cMyBundleID, "about", "about");
    if (!theWindow) {
        ReportDamagedLayout("the About window");
        return;
    }
    EventHandlerUPP handler = NewEventHandlerUPP(AboutDialogHandler);
    const EventTypeSpec commands = {kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(GetWindowEventTarget(theWindow), handler, 1, &commands, theWindow, nullptr);

    Str255 name, version, versionText;
    CopyCStringToPascal(cMyClearName, name);
    CopyCStringToPascal("Version ", version);
    CopyCStringToPascal(cPlugVersion, versionText);
    PLstrcat(version, versionText);
    SimpleSetControlText(theWindow, MakeOSType("Plug"), 1, name);
    SimpleSetControlText(theWindow, MakeOSType("Vers"), 1, version);

    ShowWindow(theWindow);
    BringToFront(theWindow);
    RunAppModalLoopForWindow(theWindow);
    DisposeWindow(theWindow);
    DisposeEventHandlerUPP(handler);
}

OSStatus AboutDialogHandler(EventHandlerCallRef, EventRef theEvent, void* userData) {
    const uint32_t command = GetEventCommandID(theEvent);
    if (CommandIs(command, "ok  ") || CommandIs(command, "not!")) {
        QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
        return noErr;
    }
    return eventNotHandledErr;
}

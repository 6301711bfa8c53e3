#include "platform/alerts/Alerts.h"

#include <initializer_list>

#include "common/commonprocs.h"
#include "platform/text/TextUtils.h"

namespace {

CFStringRef CFStringFromC(const char* text) {
    Str255 p;
    CopyCStringToPascal(text, p);
    return MakeCFString(p);
}

}  // namespace

int16_t StandardWarning(const char* theTitle, const char* theMessage, const char* theDefault,
                        const char* theCancel) {
    AlertStdCFStringAlertParamRec param = {};
    param.version = kStdCFStringAlertVersionOne;
    param.movable = true;
    param.helpButton = false;
    param.defaultText = CFStringFromC(theDefault);
    param.cancelText = theCancel && theCancel[0] ? CFStringFromC(theCancel) : nullptr;
    param.otherText = nullptr;
    param.defaultButton = kAlertStdAlertOKButton;
    param.cancelButton = kAlertStdAlertCancelButton;
    param.position = kWindowDefaultPosition;
    param.flags = 0;
    CFStringRef title = CFStringFromC(theTitle);
    CFStringRef message = CFStringFromC(theMessage);
    DialogRef alert = nullptr;
    DialogItemIndex itemHit = kAlertStdAlertOKButton;
    if (CreateStandardAlert(kAlertCautionAlert, title, message, &param, &alert) == noErr)
        RunStandardAlert(alert, nullptr, &itemHit);
    for (CFStringRef s : {title, message, param.defaultText, param.cancelText})
        if (s) CFRelease(s);
    return itemHit;
}

void Notify(const char* theMessage) {
    StandardWarning("Internal Notification:", theMessage, "ok", "");
}

void Terminate(const char* theTitle, const char* theMessage) {
    CFStringRef title = CFStringFromC(theTitle);
    CFStringRef message = CFStringFromC(theMessage);
    DialogRef alert = nullptr;
    if (CreateStandardAlert(kAlertStopAlert, title, message, nullptr, &alert) == noErr)
        RunStandardAlert(alert, nullptr, nullptr);
    ExitToShell();
}

void Assert(const void* thePointer, const char* theMessage) {
    if (thePointer) return;
    Str255 text, message;
    CopyCStringToPascal("Assertion failed in: ", text);
    CopyCStringToPascal(theMessage, message);
    PLstrcat(text, message);
    char joined[256];
    CopyPascalStringToCBuffer(text, joined, sizeof joined);
    Terminate("Assertion Failure", joined);
}

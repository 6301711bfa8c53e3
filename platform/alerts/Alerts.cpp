#include "platform/alerts/Alerts.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/corefoundation/CFStringText.h"

struct OpaqueDialogPtr {
    AlertType type;
    std::string title;
    std::string explanation;
    std::string defaultButton;
    std::string cancelButton;
};

namespace {

AlertPresenterProc lgPresenter = nullptr;

const char* KindName(AlertType type) {
    switch (type) {
        case kAlertStopAlert:
            return "stop";
        case kAlertCautionAlert:
            return "caution";
        case kAlertNoteAlert:
            return "note";
        default:
            return "alert";
    }
}

}  // namespace

// Nobody can press a button on standard error: the default one answers.
DialogItemIndex PresentAlertAsText(const AlertDescription* alert) {
    std::fprintf(stderr, "[%s] %s\n%s\n", KindName(alert->type), alert->title, alert->explanation);
    std::fflush(stderr);
    return kAlertStdAlertOKButton;
}

void SetAlertPresenter(AlertPresenterProc presenter) { lgPresenter = presenter; }

OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert) {
    if (!outAlert) return paramErr;
    auto* alert =
        new (std::nothrow) OpaqueDialogPtr{alertType, UTF8Of(error), UTF8Of(explanation), "OK", ""};
    if (!alert) return memFullErr;
    if (param) {
        alert->defaultButton = param->defaultText ? UTF8Of(param->defaultText) : "OK";
        alert->cancelButton = UTF8Of(param->cancelText);
    }
    *outAlert = alert;
    return noErr;
}

OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP, DialogItemIndex* outItemHit) {
    if (!inAlert) return paramErr;
    const AlertDescription description = {
        inAlert->type, inAlert->title.c_str(), inAlert->explanation.c_str(),
        inAlert->defaultButton.c_str(), inAlert->cancelButton.c_str()};
    const DialogItemIndex hit = (lgPresenter ? lgPresenter : PresentAlertAsText)(&description);
    delete inAlert;
    if (outItemHit) *outItemHit = hit;
    return noErr;
}

// The process end of a fatal alert: distinct from a crash and from success.
void ExitToShell(void) { std::_Exit(70); }

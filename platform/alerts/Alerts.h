/* Standard alerts and the process end. Without a window system an alert is
 * written to standard error and answered with its default button; a window
 * layer can take over with SetAlertPresenter. */
#ifndef HZ_PLATFORM_ALERTS_H
#define HZ_PLATFORM_ALERTS_H

#include "platform/corefoundation/CoreFoundation.h"
#include "platform/types/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef int16_t AlertType;
enum { kAlertStopAlert = 0, kAlertNoteAlert = 1, kAlertCautionAlert = 2, kAlertPlainAlert = 3 };

typedef int16_t DialogItemIndex;
enum { kAlertStdAlertOKButton = 1, kAlertStdAlertCancelButton = 2 };
enum { kStdCFStringAlertVersionOne = 1, kWindowDefaultPosition = 0 };

typedef struct AlertStdCFStringAlertParamRec {
    uint32_t version;
    Boolean movable;
    Boolean helpButton;
    CFStringRef defaultText;
    CFStringRef cancelText;
    CFStringRef otherText;
    int16_t defaultButton;
    int16_t cancelButton;
    uint16_t position;
    uint32_t flags;
} AlertStdCFStringAlertParamRec;

typedef struct OpaqueDialogPtr* DialogRef;
typedef void* ModalFilterUPP;

OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert);
/* Shows the alert, waits for a button, disposes of the alert. */
OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP filterProc,
                          DialogItemIndex* outItemHit);
/* Ends the process at once; nothing is saved or released. */
void ExitToShell(void) __attribute__((noreturn));

/* What a presenter is shown: texts in UTF-8, buttons empty when absent. */
typedef struct AlertDescription {
    AlertType type;
    const char* title;
    const char* explanation;
    const char* defaultButton;
    const char* cancelButton;
} AlertDescription;
typedef DialogItemIndex (*AlertPresenterProc)(const AlertDescription* alert);
/* nil goes back to the text form. */
void SetAlertPresenter(AlertPresenterProc presenter);
/* The text form: standard error, answered with the default button. A
 * presenter that cannot show a window now hands the alert on to it. */
DialogItemIndex PresentAlertAsText(const AlertDescription* alert);

#ifdef __cplusplus
}
#endif

#endif

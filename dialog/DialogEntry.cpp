#include "dialog/DialogEntry.h"

#include <iterator>

#include "dialog/clipCTRL.h"
#include "dialog/colorCTRL.h"
#include "dialog/pictCTRL.h"

namespace {

const ControlClassDescRec* const cDialogClasses[] = {&cColorBoxClass, &cClipCtrlClass,
                                                     &cPictureControlClass};
ControlClassRec lgRegistered[std::size(cDialogClasses)];

}  // namespace

void RegisterDialogControls() {
    for (size_t i = 0; i < std::size(cDialogClasses); ++i)
        RegisterControlClass(&lgRegistered[i], *cDialogClasses[i]);
}

void UnregisterDialogControls() {
    for (ControlClassRec& registered : lgRegistered) UnregisterControlClass(&registered);
}

#include "dialog/DialogEntry.h"

#include "dialog/clipCTRL.h"
#include "dialog/colorCTRL.h"
#include "dialog/pictCTRL.h"

void RegisterDialogControls() {
    RegisterColorBox();
    RegisterClipCtrl();
    RegisterPictureControl();
}

void UnregisterDialogControls() {
    UnregisterClipCtrl();
    UnregisterColorBox();
    UnregisterPictureControl();
}

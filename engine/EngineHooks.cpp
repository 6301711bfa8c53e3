#include "engine/EngineHooks.h"

namespace {

int16_t NoFrame(GWorldPtr, HYPluginParams*, int32_t, int16_t) { return -1; }
void NoControls() {}
OSErr NoDialog(PluginDataPtr) { return noErr; }

EngineHooksRec lgHooks = {NoFrame, NoControls, NoDialog, NoControls};

}  // namespace

void InstallEngineHooks(const EngineHooksRec& hooks) {
    lgHooks.GetFrameIntoGW = hooks.GetFrameIntoGW ? hooks.GetFrameIntoGW : NoFrame;
    lgHooks.RegisterControls = hooks.RegisterControls ? hooks.RegisterControls : NoControls;
    lgHooks.DoConfig = hooks.DoConfig ? hooks.DoConfig : NoDialog;
    lgHooks.UnregisterControls = hooks.UnregisterControls ? hooks.UnregisterControls : NoControls;
}

const EngineHooksRec& EngineHooks() { return lgHooks; }

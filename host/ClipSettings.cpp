#include "host/ClipSettings.h"

#include "persistence/prefsloader.h"
#include "platform/memory/MacMemory.h"

static_assert(kHYSavedSettingsSize == sizeof(ConfigSaveRec));

namespace {

HYPluginResult AskHost(const HYPluginParams* params, ConfigSaveRec* block) {
    const HYProcs* procs = params->procs;
    if (params->interfaceVersion < kHYClipSettingsInterfaceVersion || !procs->GetClipSettings)
        return kPluginUnimplemented;
    return procs->GetClipSettings(params->instance, block, sizeof(ConfigSaveRec));
}

}  // namespace

HYPluginResult TakeClipSettings(const HYPluginParams* params, PluginDataPtr settings) {
    Handle block = NewHandleClear(sizeof(ConfigSaveRec));
    if (!block) return kPluginOutOfMemory;
    HYPluginResult result = AskHost(params, reinterpret_cast<ConfigSaveRec*>(*block));
    if (result == kPluginUnimplemented)
        result = kPluginOK;
    else if (result == kPluginOK && !Save2Config(settings, reinterpret_cast<ConfigSaveH>(block)))
        result = kPluginBadParams;
    DisposeHandle(block);
    return result;
}

bool HostKeepsClipSettings(const HYPluginParams* params) {
    ConfigSaveRec block{};
    return AskHost(params, &block) == kPluginOK;
}

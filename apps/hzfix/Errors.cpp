#include "apps/hzfix/Errors.h"

namespace hzfix {

std::string ResultName(int result) {
    static const char* const kNames[] = {"kPluginOK",
                                         "kPluginCancel",
                                         "kPluginFinished",
                                         "kPluginBadParams",
                                         "kPluginOutOfMemory",
                                         "kPluginOutOfDiskSpace",
                                         "kPluginFailed",
                                         "kPluginCantGetNeededFrame",
                                         "kPluginUnimplemented",
                                         "kPluginTryAgainLater",
                                         "kPluginAppIsTooOld",
                                         "kPluginAppIsTooNew"};
    const char* name = result >= 0 && result < static_cast<int>(std::size(kNames))
                           ? kNames[result]
                           : "unknown result";
    return std::string(name) + " (" + std::to_string(result) + ")";
}

PluginFailure::PluginFailure(const std::string& request, HYPluginResult code)
    : std::runtime_error("the plug-in failed " + request + ": " + ResultName(code)), result(code) {}

}  // namespace hzfix

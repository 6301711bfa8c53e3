#include "apps/hzfix/Errors.h"

namespace hzfix {

std::string ResultName(int result) {
    return std::string(HYPluginResultName(result)) + " (" + std::to_string(result) + ")";
}

PluginFailure::PluginFailure(const std::string& request, HYPluginResult code)
    : std::runtime_error("the plug-in failed " + request + ": " + ResultName(code)), result(code) {}

}  // namespace hzfix

#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"

namespace hzfix {

std::unique_ptr<pluginhost::LoadedPlugin> Context::LoadPlugin() const {
    std::string error;
    auto plugin = pluginhost::LoadedPlugin::Load(bundleDir, &error);
    if (!plugin) throw PluginLoadError(error);
    return plugin;
}

}  // namespace hzfix

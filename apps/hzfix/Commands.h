// The subcommands of hzfix. Each takes the words after its name and
// returns an exit status; failures are thrown (Errors.h, media::*Error,
// UsageError) and turned into messages and statuses in main().
#ifndef HZ_APPS_HZFIX_COMMANDS_H
#define HZ_APPS_HZFIX_COMMANDS_H

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "apps/pluginhost/PluginHost.h"

namespace hzfix {

// What every command shares: where the bundle is, and the Ctrl-C flag.
struct Context {
    std::string bundleDir;
    const std::atomic<bool>* interrupt = nullptr;

    // Throws PluginLoadError.
    std::unique_ptr<pluginhost::LoadedPlugin> LoadPlugin() const;
};

// The plug-in's rectangles are 16-bit: larger frames are refused up front.
void RequirePluginFrameSize(const std::string& path, int width, int height);

int RunInfo(const Context& context, const std::vector<std::string>& words);
int RunRender(const Context& context, const std::vector<std::string>& words);
int RunThumbnail(const Context& context, const std::vector<std::string>& words);
int RunSettings(const Context& context, const std::vector<std::string>& words);
int RunConfigure(const Context& context, const std::vector<std::string>& words);

// Each command's help, its options from the table it parses with.
std::string RenderHelp();
std::string ThumbnailHelp();
std::string SettingsHelp();
std::string ConfigureHelp();

}  // namespace hzfix

#endif

// The subcommands of hzfix. Each takes the words after its name and
// returns an exit status; failures are thrown (Errors.h, media::*Error,
// UsageError) and turned into messages and statuses in main().
#ifndef HZ_APPS_HZFIX_COMMANDS_H
#define HZ_APPS_HZFIX_COMMANDS_H

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/hzfix/Cli.h"
#include "apps/pluginhost/PluginHost.h"
#include "record/PluginData.h"

namespace hzfix {

// What every command shares: where the bundle is, and the Ctrl-C flag.
struct Context {
    std::string bundleDir;
    const std::atomic<bool>* interrupt = nullptr;

    // Throws PluginLoadError.
    std::unique_ptr<pluginhost::LoadedPlugin> LoadPlugin() const;
};

// Changes the saved settings under the preferences lock, keeping the
// others, as settings set does; `who` names the command in its notices.
// Returns the settings saved; throws SettingsError.
PluginDataRec ChangeSavedSettings(const std::function<void(PluginDataRec*)>& change,
                                  const std::string& who);

// The plug-in's rectangles are 16-bit: larger frames are refused up front.
void RequirePluginFrameSize(const std::string& path, int width, int height);

int RunInfo(const Context& context, const std::vector<std::string>& words);
int RunRender(const Context& context, const std::vector<std::string>& words);
int RunThumbnail(const Context& context, const std::vector<std::string>& words);
int RunPreview(const Context& context, const std::vector<std::string>& words);
int RunSettings(const Context& context, const std::vector<std::string>& words);
int RunConfigure(const Context& context, const std::vector<std::string>& words);
int RunLevel(const Context& context, const std::vector<std::string>& words);

// Each command's options and help, the help made from the options.
const std::vector<OptionSpec>& RenderOptions();
const std::vector<OptionSpec>& ThumbnailOptions();
const std::vector<OptionSpec>& PreviewOptions();
const std::vector<OptionSpec>& SettingsOptions();
const std::vector<OptionSpec>& InfoOptions();
const std::vector<OptionSpec>& ConfigureOptions();
const std::vector<OptionSpec>& LevelOptions();
std::string InfoHelp();
std::string RenderHelp();
std::string ThumbnailHelp();
std::string PreviewHelp();
std::string SettingsHelp();
std::string ConfigureHelp();
std::string LevelHelp();

struct CommandRec {
    const char* name;
    const char* synopsis;  // what follows the name
    const char* summary;
    int (*run)(const Context& context, const std::vector<std::string>& words);
    std::string (*help)();
    const std::vector<OptionSpec>& (*options)();
    const char* actions = nullptr;  // the words its first argument may be, for completion
};
// Every command, in the order help lists them.
const std::vector<CommandRec>& AllCommands();

}  // namespace hzfix

#endif

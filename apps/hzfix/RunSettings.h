// The settings one run of render, thumbnail or preview uses: the saved ones
// (or the effect's defaults), then a settings file, then the run's own
// options. The plug-in reads its settings from the preferences file, so a
// run with settings of its own hands it a private preferences folder for
// the run's length; the user's saved settings are never touched by it.
#ifndef HZ_APPS_HZFIX_RUNSETTINGS_H
#define HZ_APPS_HZFIX_RUNSETTINGS_H

#include <functional>
#include <string>
#include <vector>

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/SettingFields.h"
#include "engine/PluginData.h"

namespace hzfix {

// --settings FILE, --defaults and one option per setting.
std::vector<OptionSpec> RunSettingOptions();
// A command's own options followed by those.
std::vector<OptionSpec> WithRunSettingOptions(std::vector<OptionSpec> options);
std::string RunSettingsHelp();

struct RunSettingsRec {
    PluginDataRec settings;
    // Where they come from, for the run's summary.
    std::string origin;
    // Whether they differ from what the plug-in would read by itself.
    bool ownSettings = false;
    // What the words given became, where they said something else.
    SettingNotes notes = {};
};

// A damaged or unreadable preferences file is a warning, and the defaults
// are used.
RunSettingsRec ResolveRunSettings(const ParsedArgs& args,
                                  const std::function<void(const std::string&)>& warn);

// One line naming every setting, and what the run's words became, as the
// run's summary prints it.
std::string SettingsSummary(const RunSettingsRec& run);

// While it lives, the plug-in loaded after it reads `settings` from a
// preferences folder of its own.
class PrivatePreferences {
  public:
    explicit PrivatePreferences(const PluginDataRec& settings);
    ~PrivatePreferences();
    PrivatePreferences(const PrivatePreferences&) = delete;
    PrivatePreferences& operator=(const PrivatePreferences&) = delete;

  private:
    void Restore();

    std::string folder_;
    std::string previous_;
    bool hadPrevious_ = false;
};

}  // namespace hzfix

#endif

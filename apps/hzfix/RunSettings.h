// The settings one run of render, thumbnail or preview uses: the saved ones
// (or the effect's defaults), then a settings file, then the run's own
// options. The host hands them to the plug-in's clip, so the plug-in never
// reads or writes the user's preferences file during a run.
#ifndef HZ_APPS_HZFIX_RUNSETTINGS_H
#define HZ_APPS_HZFIX_RUNSETTINGS_H

#include <functional>
#include <string>
#include <vector>

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/SettingFields.h"
#include "record/PluginData.h"

namespace hzfix {

// --settings FILE, --defaults and one option per setting; the turn and the
// enlargement also take `auto`, the turn `follow` (AutoSettings.h).
std::vector<OptionSpec> RunSettingOptions();
// A command's own options followed by those.
std::vector<OptionSpec> WithRunSettingOptions(std::vector<OptionSpec> options);
std::string RunSettingsHelp();

struct RunSettingsRec {
    PluginDataRec settings;
    // Where they come from, for the run's summary.
    std::string origin;
    // What the words given became, where they said something else.
    SettingNotes notes = {};
    // --turn auto, --scale auto: measured once the clip is open.
    bool autoTurn = false, autoScale = false;
    // --turn follow: each frame's own turn, measured once the clip is open;
    // turns[i] is frame turnsFrom + i's, in hundredths of a step.
    bool followTurn = false;
    int64_t turnsFrom = 0;
    std::vector<int32_t> turns = {};
};

// The settings frame `frame` is drawn with.
PluginDataRec SettingsAt(const RunSettingsRec& run, int64_t frame);

// A damaged or unreadable preferences file is a warning, and the defaults
// are used.
RunSettingsRec ResolveRunSettings(const ParsedArgs& args,
                                  const std::function<void(const std::string&)>& warn);

// One line naming every setting, and what the run's words became, as the
// run's summary prints it.
std::string SettingsSummary(const RunSettingsRec& run);

}  // namespace hzfix

#endif

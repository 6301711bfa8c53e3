// Every setting of the effect as hzfix shows and takes it, made from the
// settings table: its option, how words set it, its value in words and what
// it does on a frame. `settings set`, a run's own settings and settings
// files all go through it, so all of them hold values to the same limits.
#ifndef HZ_APPS_HZFIX_SETTINGFIELDS_H
#define HZ_APPS_HZFIX_SETTINGFIELDS_H

#include <map>
#include <string>
#include <vector>

#include "apps/hzfix/Cli.h"
#include "record/SettingsTable.h"

namespace hzfix {

// "--NAME VALUE" for each setting, with its limits in the help.
const std::vector<OptionSpec>& SettingOptions();

// Notes on words that set something other than they say, by setting name:
// "3deg → 8 steps, 3.2°".
using SettingNotes = std::map<std::string, std::string>;

// Sets d's field from `words`; `what` names it in messages ("--turn", or
// "turn" in a file). A value outside the setting's limits is a UsageError
// that gives them. Returns the note on the words, or "".
std::string SetSetting(const SettingDescRec& d, const std::string& words, const std::string& what,
                       PluginDataRec* settings);
// The value as the option and settings files take it.
std::string SettingValue(const SettingDescRec& d, const PluginDataRec& settings);
// The values the setting takes, in words: "-25 to 100".
std::string SettingLimits(const SettingDescRec& d);
// A saved block made elsewhere may hold values the limits refuse.
bool OutsideLimits(const SettingDescRec& d, const PluginDataRec& settings);

// The frame whose pixels a description counts: the dialog's, or a clip's.
struct ShownFrameRec {
    int width, height;
    std::string words;  // "a 720x480 (NTSC) frame", "in.mp4's 1920x1080 frames"
};
ShownFrameRec DialogFrame(const PluginDataRec& settings);
ShownFrameRec ClipFrame(const std::string& path, int width, int height);
// What the value does, in words, on `frame`.
std::string SettingMeaning(const SettingDescRec& d, const PluginDataRec& settings,
                           const ShownFrameRec& frame);

// Sets the settings whose options were given; whether there were any.
bool ApplySettingOptions(const ParsedArgs& args, PluginDataRec* settings, SettingNotes* notes);

// The settings as a file of "NAME = VALUE" lines, and back. A line that is
// not a setting, or a value outside its limits, is a UsageError naming the
// file and line.
std::string SettingsFileText(const PluginDataRec& settings);
void ReadSettingsFile(const std::string& path, PluginDataRec* settings, SettingNotes* notes);

}  // namespace hzfix

#endif

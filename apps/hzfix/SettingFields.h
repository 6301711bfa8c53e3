// Every setting of the effect as hzfix shows and takes it: its name, how a
// word sets it, its value in words and what it means on the dialog's frame.
// `settings set`, a run's own settings and settings files all go through it.
#ifndef HZ_APPS_HZFIX_SETTINGFIELDS_H
#define HZ_APPS_HZFIX_SETTINGFIELDS_H

#include <functional>
#include <string>
#include <vector>

#include "apps/hzfix/Cli.h"
#include "engine/PluginData.h"

namespace hzfix {

struct SettingField {
    const char* name;
    const char* argument;  // what the value is called in help
    const char* help;
    // Throws UsageError for a value the setting cannot take.
    std::function<void(PluginDataRec&, const std::string&)> set;
    std::function<std::string(const PluginDataRec&)> value;
    std::function<std::string(const PluginDataRec&)> meaning;
};

const std::vector<SettingField>& SettingFields();
// "--NAME VALUE" for each field.
const std::vector<OptionSpec>& SettingOptions();
// Sets the fields whose options were given; whether there were any.
bool ApplySettingOptions(const ParsedArgs& args, PluginDataRec* settings);

// The settings as a file of "NAME = VALUE" lines, and back. A line that is
// not a setting is a UsageError naming the file and line.
std::string SettingsFileText(const PluginDataRec& settings);
void ReadSettingsFile(const std::string& path, PluginDataRec* settings);

}  // namespace hzfix

#endif

#include "apps/hzfix/RunSettings.h"

#include <stdlib.h>

#include <filesystem>

#include "apps/hzfix/Errors.h"
#include "persistence/prefsloader.h"

namespace hzfix {

std::vector<OptionSpec> RunSettingOptions() {
    std::vector<OptionSpec> options = {
        {"--settings", "FILE", "start from the settings in FILE (settings show --as file)"},
        {"--defaults", nullptr, "start from the effect's defaults, not the saved settings"},
    };
    for (const OptionSpec& o : SettingOptions()) options.push_back(o);
    return options;
}

std::vector<OptionSpec> WithRunSettingOptions(std::vector<OptionSpec> options) {
    for (const OptionSpec& o : RunSettingOptions()) options.push_back(o);
    return options;
}

std::string RunSettingsHelp() {
    return "  Settings for this run only, over the saved ones (hzfix settings show):\n" +
           OptionsHelp(RunSettingOptions());
}

RunSettingsRec ResolveRunSettings(const ParsedArgs& args,
                                  const std::function<void(const std::string&)>& warn) {
    RunSettingsRec run{cDefaultSettings, "the effect's defaults", false};
    if (args.Has("--defaults")) {
        run.ownSettings = true;
    } else {
        PluginDataRec saved = cDefaultSettings;
        const PrefsResultRec r = LoadPrefs(&saved);
        if (r.status == PrefsStatus::cOk) {
            run.settings = saved;
            run.origin = "the saved settings";
        } else if (r.status != PrefsStatus::cNoFolder && r.status != PrefsStatus::cNoFile &&
                   r.status != PrefsStatus::cNoSettings) {
            warn(r.message + "; the effect's defaults are used");
            run.ownSettings = true;
        }
    }
    if (auto file = args.Get("--settings")) {
        ReadSettingsFile(*file, &run.settings, &run.notes);
        run.origin = *file;
        run.ownSettings = true;
    }
    if (ApplySettingOptions(args, &run.settings, &run.notes)) {
        run.origin += " and this run's options";
        run.ownSettings = true;
    }
    return run;
}

std::string SettingsSummary(const RunSettingsRec& run) {
    std::string text;
    for (const SettingDescRec& d : cSettingDescs) {
        text +=
            (text.empty() ? "" : ", ") + std::string(d.name) + " " + SettingValue(d, run.settings);
        if (auto note = run.notes.find(d.name); note != run.notes.end())
            text += " (" + note->second + ")";
    }
    return text;
}

PrivatePreferences::PrivatePreferences(const PluginDataRec& settings) {
    std::string pattern = (std::filesystem::temp_directory_path() / "hzfix-run-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw SettingsError("cannot make a folder for this run's settings", true);
    folder_ = pattern;
    if (const char* now = getenv("XDG_CONFIG_HOME")) {
        previous_ = now;
        hadPrevious_ = true;
    }
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    const PrefsResultRec r = StorePrefs(settings);
    if (r.status != PrefsStatus::cOk) {
        Restore();
        throw SettingsError(r.message, true);
    }
}

PrivatePreferences::~PrivatePreferences() { Restore(); }

void PrivatePreferences::Restore() {
    if (hadPrevious_)
        setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace hzfix

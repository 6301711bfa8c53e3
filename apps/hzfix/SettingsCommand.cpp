#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "apps/hzfix/SettingFields.h"
#include "apps/media/LibAv.h"
#include "engine/PluginData.h"
#include "persistence/prefsloader.h"
#include "persistence/prefslock.h"
#include "platform/files/FileSpecPath.h"
#include "platform/files/Files.h"

namespace hzfix {

namespace {

// The saved settings, or the defaults when none are saved; `saved` tells.
PluginDataRec Load(bool* saved) {
    PluginDataRec config = cDefaultSettings;
    PrefsResultRec r = LoadPrefs(&config);
    switch (r.status) {
        case PrefsStatus::cOk:
            *saved = true;
            return config;
        case PrefsStatus::cNoFolder:
        case PrefsStatus::cNoFile:
        case PrefsStatus::cNoSettings:
            *saved = false;
            return cDefaultSettings;
        default:
            throw SettingsError(r.message + "; delete it to start afresh", false);
    }
}

void Show(const PluginDataRec& config, bool saved) {
    std::printf("file: %s (%s)\n", PrefsFilePath().c_str(),
                saved ? "saved settings" : "nothing saved: the effect's defaults");
    for (const SettingField& f : SettingFields())
        std::printf("%-17s %-22s %s\n", f.name, f.value(config).c_str(), f.meaning(config).c_str());
}

void SayWaiting(const std::string& message) {
    std::fprintf(stderr, "hzfix: %s\n", message.c_str());
}

// The preferences folder, made if it is missing, as the plug-in makes it.
void MakePreferencesFolder() {
    int16_t vRefNum = 0;
    int32_t dirID = 0;
    if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID) == noErr)
        return;
    const std::string folder = PreferencesFolderPath();
    const int err = errno;
    struct stat info;
    if (stat(folder.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
        throw SettingsError("the preferences folder " + folder +
                                " is a file, not a folder; set XDG_CONFIG_HOME to a folder",
                            true);
    throw SettingsError("cannot make the preferences folder " + folder + ": " + std::strerror(err),
                        true);
}

}  // namespace

const std::vector<OptionSpec>& SettingsOptions() {
    static const std::vector<OptionSpec> options = [] {
        std::vector<OptionSpec> all = SettingOptions();
        all.push_back({"--as", "file", "with show: print them as a settings file for --settings"});
        return all;
    }();
    return options;
}

std::string SettingsHelp() {
    return "usage: hzfix settings show [--as file] | set OPTIONS | reset\n"
           "  The settings the plug-in starts every clip from (the preferences file).\n"
           "  show   print every setting and what it does; --as file prints a settings\n"
           "         file that render, thumbnail and preview take with --settings\n"
           "  reset  forget the saved settings; the effect starts from its defaults\n"
           "  set    change the settings named, keep the others:\n" +
           OptionsHelp(SettingOptions()) +
           "  Steps and percentages are whole numbers from -32768 to 32767.\n";
}

int RunSettings(const Context&, const std::vector<std::string>& words) {
    ParsedArgs args = ParseArgs(words, SettingsOptions());
    if (args.positional.size() != 1) throw UsageError("settings needs one of show, set, reset");
    const std::string& action = args.positional[0];
    const auto as = args.Get("--as");
    if (as && action != "show") throw UsageError("--as goes with settings show");
    if (as && *as != "file") throw UsageError("--as: '" + *as + "' is not file");
    if (action != "set" && args.values.size() > (as ? 1u : 0u))
        throw UsageError("settings " + action + " takes no settings");

    if (action == "show") {
        bool saved = false;
        PluginDataRec config = Load(&saved);
        if (as)
            std::fputs(SettingsFileText(config).c_str(), stdout);
        else
            Show(config, saved);
        return kExitOk;
    }
    SetPrefsLockNotice(SayWaiting);
    if (action == "reset") {
        const PrefsLockRec lock;
        PrefsResultRec r = ResetPrefs();
        if (r.status != PrefsStatus::cOk) throw SettingsError(r.message, true);
        std::printf("settings reset: the effect starts from its defaults\n");
        return kExitOk;
    }
    if (action != "set") throw UsageError("settings: unknown action '" + action + "'");
    if (args.values.empty()) throw UsageError("settings set: name at least one setting");

    // Every value is checked before anything is made or written.
    PluginDataRec config = cDefaultSettings;
    ApplySettingOptions(args, &config);
    MakePreferencesFolder();
    const PrefsLockRec lock;
    bool saved = false;
    config = Load(&saved);
    ApplySettingOptions(args, &config);
    PrefsResultRec r = StorePrefs(config);
    if (r.status != PrefsStatus::cOk) throw SettingsError(r.message, true);
    Show(config, true);
    return kExitOk;
}

}  // namespace hzfix

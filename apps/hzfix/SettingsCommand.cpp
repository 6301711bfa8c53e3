#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "apps/hzfix/FilterText.h"
#include "apps/hzfix/SettingFields.h"
#include "apps/media/InputFile.h"
#include "apps/media/LibAv.h"
#include "persistence/prefsloader.h"
#include "persistence/prefslock.h"
#include "platform/files/FileSpecPath.h"
#include "platform/files/Files.h"
#include "record/PluginData.h"

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
            throw SettingsError(
                r.message + "; hzfix settings reset starts afresh and keeps it beside", false);
    }
}

// Where the settings shown come from, for the line that heads them.
const char* cFromSaved = "saved settings";
const char* cFromDefaults = "nothing saved: the effect's defaults";
const char* cFromOptions = "changed by the options given, not saved";

void Show(const PluginDataRec& config, const char* from, const ShownFrameRec& frame) {
    std::printf("file: %s (%s)\n", PrefsFilePath().c_str(), from);
    for (const SettingDescRec& d : cSettingDescs)
        std::printf("%-17s %-22s %s\n", d.name, SettingValue(d, config).c_str(),
                    SettingMeaning(d, config, frame).c_str());
}

// A block saved by another program may hold what hzfix refuses to take; a
// settings file written from it is refused in turn.
void WarnOutsideLimits(const PluginDataRec& config) {
    for (const SettingDescRec& d : cSettingDescs)
        if (OutsideLimits(d, config))
            std::fprintf(stderr,
                         "hzfix: warning: the saved %s %s lies outside %s; --settings refuses "
                         "this file until that line is changed\n",
                         d.name, SettingValue(d, config).c_str(), SettingLimits(d).c_str());
}

// The frame of the clip --for names, whose pixels the descriptions count.
std::optional<ShownFrameRec> ClipFrameFor(const Context& context, const ParsedArgs& args) {
    const auto clip = args.Get("--for");
    if (!clip) return std::nullopt;
    media::InputFile in(*clip, context.interrupt);
    return ClipFrame(*clip, in.video().width, in.video().height);
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

PluginDataRec ChangeSavedSettings(const std::function<void(PluginDataRec*)>& change,
                                  const std::string& who) {
    SetPrefsLockNotice(SayWaiting);
    MakePreferencesFolder();
    const PrefsLockRec lock;
    bool saved = false;
    PluginDataRec config = Load(&saved);
    change(&config);
    PrefsResultRec r = StorePrefs(config);
    if (r.status != PrefsStatus::cOk) throw SettingsError(r.message, true);
    if (!r.keptAside.empty())
        std::printf("%s: the settings this version could not read are kept as %s\n", who.c_str(),
                    r.keptAside.c_str());
    return config;
}

const std::vector<OptionSpec>& SettingsOptions() {
    static const std::vector<OptionSpec> options = [] {
        std::vector<OptionSpec> all = SettingOptions();
        all.push_back({"--as", "FORM",
                       "with show: as a settings file, ffmpeg's -vf filter or melt's arguments",
                       "file ffmpeg melt"});
        all.push_back({"--for", "CLIP",
                       "with show and set: count the pixels on CLIP's frames, not the dialog's"});
        return all;
    }();
    return options;
}

std::string SettingsHelp() {
    return "usage: hzfix settings show [--as file|ffmpeg|melt] [--for CLIP] [OPTIONS]\n"
           "                      | set OPTIONS | reset\n"
           "  The settings the plug-in starts every clip from (the preferences file).\n"
           "  show   print every setting and what it does, in pixels on the dialog's frame\n"
           "         or, with --for CLIP, on CLIP's; the settings named as OPTIONS are\n"
           "         shown changed, and nothing is saved. --as file prints a settings file\n"
           "         that render, thumbnail and preview take with --settings; --as ffmpeg\n"
           "         the filter for ffmpeg -vf, --as melt the arguments for melt, to take\n"
           "         the settings into those hosts and the editors built on them\n"
           "  reset  forget the saved settings; the effect starts from its defaults. A\n"
           "         damaged preferences file is kept beside it, as " +
           std::string(cProductCode) + cPrefName + cPrefsAsideSuffix +
           ",\n"
           "         and replaced by one holding the defaults\n"
           "  set    change the settings named, keep the others:\n" +
           OptionsHelp(SettingOptions()) +
           "  Steps and percentages are whole numbers; a value outside its range is refused.\n";
}

int RunSettings(const Context& context, const std::vector<std::string>& words) {
    ParsedArgs args = ParseArgs(words, SettingsOptions());
    if (args.positional.size() != 1) throw UsageError("settings needs one of show, set, reset");
    const std::string& action = args.positional[0];
    const auto as = args.Get("--as");
    if (as && action != "show") throw UsageError("--as goes with settings show");
    if (as && *as != "file" && *as != "ffmpeg" && *as != "melt")
        throw UsageError("--as: '" + *as + "' is not one of file, ffmpeg, melt");
    if (args.Has("--for") && action != "show" && action != "set")
        throw UsageError("--for goes with settings show and set");
    if (as && args.Has("--for"))
        throw UsageError("--as " + *as + " has no pixels to count --for a clip");
    const size_t ownOptions = (as ? 1u : 0u) + (args.Has("--for") ? 1u : 0u);
    if (action == "reset" && args.values.size() > ownOptions)
        throw UsageError("settings reset takes no settings");

    if (action == "show") {
        bool saved = false;
        PluginDataRec config = Load(&saved);
        SettingNotes notes;
        const bool changed = ApplySettingOptions(args, &config, &notes);
        if (!as) {
            Show(config,
                 changed ? cFromOptions
                 : saved ? cFromSaved
                         : cFromDefaults,
                 ClipFrameFor(context, args).value_or(DialogFrame(config)));
            for (const auto& [name, note] : notes)
                std::printf("%s: %s\n", name.c_str(), note.c_str());
            return kExitOk;
        }
        WarnOutsideLimits(config);
        if (*as == "file") std::fputs(SettingsFileText(config).c_str(), stdout);
        if (*as == "ffmpeg") std::printf("%s\n", FfmpegFilterText(config).c_str());
        if (*as == "melt") std::printf("%s\n", MeltFilterText(config).c_str());
        return kExitOk;
    }
    SetPrefsLockNotice(SayWaiting);
    if (action == "reset") {
        const PrefsLockRec lock;
        PrefsResultRec r = ResetPrefs();
        if (r.status != PrefsStatus::cOk) throw SettingsError(r.message, true);
        if (!r.keptAside.empty())
            std::printf("settings reset: what %s held is kept as %s\n", PrefsFilePath().c_str(),
                        r.keptAside.c_str());
        std::printf("settings reset: the effect starts from its defaults\n");
        return kExitOk;
    }
    if (action != "set") throw UsageError("settings: unknown action '" + action + "'");
    if (args.values.size() == ownOptions)
        throw UsageError("settings set: name at least one setting");

    // Every value is checked before anything is made or written.
    PluginDataRec config = cDefaultSettings;
    SettingNotes notes;
    ApplySettingOptions(args, &config, &notes);
    const std::optional<ShownFrameRec> clipFrame = ClipFrameFor(context, args);
    config = ChangeSavedSettings(
        [&](PluginDataRec* saved) { ApplySettingOptions(args, saved, &notes); }, "settings set");
    Show(config, cFromSaved, clipFrame.value_or(DialogFrame(config)));
    for (const auto& [name, note] : notes) std::printf("%s: %s\n", name.c_str(), note.c_str());
    return kExitOk;
}

}  // namespace hzfix

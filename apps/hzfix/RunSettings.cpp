#include "apps/hzfix/RunSettings.h"

#include <algorithm>

#include "apps/hzfix/AutoSettings.h"
#include "apps/hzfix/Errors.h"
#include "persistence/prefsloader.h"
#include "platform/files/Leftovers.h"

namespace hzfix {

std::vector<OptionSpec> RunSettingOptions() {
    std::vector<OptionSpec> options = {
        {"--settings", "FILE", "start from the settings in FILE (settings show --as file)"},
        {"--defaults", nullptr, "start from the effect's defaults, not the saved settings"},
    };
    for (const OptionSpec& o : AutoSettingOptions()) options.push_back(o);
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
    RunSettingsRec run{cDefaultSettings, "the effect's defaults"};
    if (!args.Has("--defaults")) {
        PluginDataRec saved = cDefaultSettings;
        const PrefsResultRec r = LoadPrefs(&saved);
        if (r.status == PrefsStatus::cOk) {
            run.settings = saved;
            run.origin = "the saved settings";
        } else if (r.status != PrefsStatus::cNoFolder && r.status != PrefsStatus::cNoFile &&
                   r.status != PrefsStatus::cNoSettings) {
            warn(r.message + "; the effect's defaults are used");
        }
    }
    if (auto file = args.Get("--settings")) {
        ReadSettingsFile(*file, &run.settings, &run.notes);
        run.origin = *file;
    }
    ParsedArgs given = args;
    run.autoTurn = TakeAuto(&given, *SliderDesc(cTurnSlider));
    run.autoScale = TakeAuto(&given, *SliderDesc(cScaleSlider));
    run.followTurn = TakeFollow(&given, *SliderDesc(cTurnSlider));
    if (ApplySettingOptions(given, &run.settings, &run.notes) || run.autoTurn || run.autoScale ||
        run.followTurn)
        run.origin += " and this run's options";
    return run;
}

PluginDataRec SettingsAt(const RunSettingsRec& run, int64_t frame) {
    PluginDataRec settings = run.settings;
    if (run.followTurn) {
        const auto i = std::clamp<int64_t>(frame - run.turnsFrom, 0,
                                           static_cast<int64_t>(run.turns.size()) - 1);
        SetTurnHundredths(&settings, run.turns[static_cast<size_t>(i)]);
    }
    return settings;
}

std::string SettingsSummary(const RunSettingsRec& run) {
    std::string text;
    for (const SettingDescRec& d : cSettingDescs) {
        const bool slider = d.place == SettingPlace::cSliders;
        // A followed turn is one value, fine part and all, that the turn's
        // note describes.
        if (run.followTurn && slider && d.index == cTurnFineSlot) continue;
        const bool followed = run.followTurn && slider && d.index == cTurnSlider;
        text += (text.empty() ? "" : ", ") + std::string(d.name) + " " +
                (followed ? "follow" : SettingValue(d, run.settings));
        if (auto note = run.notes.find(d.name); note != run.notes.end())
            text += " (" + note->second + ")";
    }
    return text;
}

}  // namespace hzfix

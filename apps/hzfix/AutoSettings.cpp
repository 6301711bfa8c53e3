#include "apps/hzfix/AutoSettings.h"

#include <cstdio>

#include "record/CornerCover.h"

namespace hzfix {

namespace {

constexpr char kAuto[] = "auto";

// What auto means for each setting that takes it.
const char* AutoMeaning(const SettingDescRec& d) {
    if (d.place != SettingPlace::cSliders) return nullptr;
    if (d.index == cTurnSlider) return "auto: the turn that levels IN's horizon, measured";
    if (d.index == cScaleSlider) return "auto: the least that hides the corners the turn uncovers";
    return nullptr;
}

std::string Fixed(double v, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

// What the enlargement the settings hold does about the corners.
std::string CornerNote(const PluginDataRec& settings, int width, int height) {
    if (!CoversFrame(settings, width, height))
        return "auto: no enlargement up to " + std::to_string(SliderDesc(cScaleSlider)->maximum) +
               " hides the corners; the largest is used";
    return "auto: the least that hides the corners at turn " +
           std::to_string(settings.sliders[cTurnSlider - 1]);
}

}  // namespace

const std::vector<OptionSpec>& AutoSettingOptions() {
    struct Words {
        std::string argument, help;
    };
    static const std::vector<Words> words = [] {
        std::vector<Words> w;
        const std::vector<OptionSpec>& plain = SettingOptions();
        for (size_t i = 0; i < plain.size(); ++i) {
            const char* meaning = AutoMeaning(cSettingDescs[i]);
            w.push_back(
                {std::string(plain[i].value) + (meaning ? "|auto" : ""),
                 std::string(plain[i].help) + (meaning ? std::string("; ") + meaning : "")});
        }
        return w;
    }();
    static const std::vector<OptionSpec> options = [] {
        std::vector<OptionSpec> o = SettingOptions();
        for (size_t i = 0; i < o.size(); ++i) {
            o[i].value = words[i].argument.c_str();
            o[i].help = words[i].help.c_str();
        }
        return o;
    }();
    return options;
}

bool TakeAuto(ParsedArgs* args, const SettingDescRec& d) {
    const std::string option = std::string("--") + d.name;
    if (args->Get(option) != kAuto) return false;
    args->values.erase(option);
    return true;
}

std::string HideCorners(PluginDataRec* settings, int width, int height) {
    SetCornerHidingScale(settings, width, height);
    return CornerNote(*settings, width, height);
}

std::string Level(PluginDataRec* settings, int width, int height, double tiltDegrees,
                  bool hideCorners) {
    LevelSettings(settings, width, height, tiltDegrees, hideCorners);
    return hideCorners ? CornerNote(*settings, width, height) : "";
}

void ResolveAutoSettings(RunSettingsRec* run, media::InputFile& in,
                         const media::PictureShape& shape, int64_t first, int64_t last) {
    if (run->autoTurn) {
        const level::ClipLevelRec measured = level::MeasureClip(in, shape, first, last);
        const level::ClipTiltRec& clip = measured.clip;
        if (!clip.reliable)
            throw media::InputError(
                "--turn auto: " + in.path() + " shows no reliable horizon (confidence " +
                Fixed(clip.confidence, 2) + " below " + Fixed(level::kTrustedConfidence, 2) +
                " over " + std::to_string(measured.frames.size()) +
                " frames); give --turn yourself (hzfix level " + in.path() +
                " --show FILE.png says why)");
        const std::string scaleNote = Level(&run->settings, shape.format.width, shape.format.height,
                                            clip.tiltDegrees, run->autoScale);
        if (run->autoScale) run->notes["scale"] = scaleNote;
        run->notes["turn"] = "auto: " + Fixed(clip.tiltDegrees, 2) + "\u00B0 tilt measured on " +
                             std::to_string(clip.framesUsed) + " of " +
                             std::to_string(measured.frames.size()) + " frames, confidence " +
                             Fixed(clip.confidence, 2);
    } else if (run->autoScale)
        run->notes["scale"] = HideCorners(&run->settings, shape.format.width, shape.format.height);
}

}  // namespace hzfix

#include "apps/hzfix/AutoSettings.h"

#include <cstdio>

#include "apps/hzfix/FixedText.h"
#include "apps/hzfix/FollowTurn.h"
#include "record/CornerCover.h"

namespace hzfix {

namespace {

constexpr char kAuto[] = "auto";
constexpr char kFollow[] = "follow";

// The words a setting takes besides its values, and what they mean.
struct MeasuredWordsRec {
    const char* words;
    const char* meaning;
};

MeasuredWordsRec MeasuredWords(const SettingDescRec& d) {
    if (d.place != SettingPlace::cSliders || d.kind != SettingKind::cSlider) return {};
    if (d.index == cTurnSlider)
        return {"|auto|follow",
                "auto: the turn that levels IN's horizon, measured; follow: each frame's own, "
                "measured frame by frame and smoothed"};
    if (d.index == cScaleSlider)
        return {"|auto", "auto: the least that hides the corners the turn uncovers"};
    return {};
}

bool TakeWord(ParsedArgs* args, const SettingDescRec& d, const char* word) {
    const std::string option = std::string("--") + d.name;
    if (args->Get(option) != word) return false;
    args->values.erase(option);
    return true;
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
            const MeasuredWordsRec m = MeasuredWords(cSettingDescs[i]);
            w.push_back(
                {std::string(plain[i].value) + (m.words ? m.words : ""),
                 std::string(plain[i].help) + (m.meaning ? std::string("; ") + m.meaning : "")});
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

bool TakeAuto(ParsedArgs* args, const SettingDescRec& d) { return TakeWord(args, d, kAuto); }

bool TakeFollow(ParsedArgs* args, const SettingDescRec& d) { return TakeWord(args, d, kFollow); }

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
    if (run->followTurn) {
        ResolveFollowedTurn(run, in, shape, first, last);
    } else if (run->autoTurn) {
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

#include "apps/hzfix/FollowTurn.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "apps/hzfix/FixedText.h"
#include "apps/level/TiltSampler.h"
#include "record/CornerCover.h"

namespace hzfix {

namespace {

int32_t LevellingTurn(const PluginDataRec& settings, int width, int height, double tilt) {
    const SettingDescRec& turn = *SliderDesc(cTurnSlider);
    const double hundredths =
        std::round(DrawnTilt(settings, width, height, tilt) / TurnDegrees(1) * 100);
    return static_cast<int32_t>(std::clamp(hundredths, turn.minimum * 100.0, turn.maximum * 100.0));
}

// An enlargement that hides the corners at one turn hides them at every
// smaller one; each turn only ever raises it from where the last left it.
std::string HideCornersAtEvery(PluginDataRec* settings, int width, int height,
                               const std::vector<int32_t>& turns) {
    const SettingDescRec& scale = *SliderDesc(cScaleSlider);
    PluginDataRec c = *settings;
    int32_t least = scale.minimum;
    for (const int32_t turn : std::set<int32_t>(turns.begin(), turns.end())) {
        SetTurnHundredths(&c, turn);
        for (; least <= scale.maximum; ++least) {
            c.sliders[cScaleSlider - 1] = static_cast<int16_t>(least);
            if (CoversFrame(c, width, height)) break;
        }
    }
    settings->sliders[cScaleSlider - 1] = static_cast<int16_t>(std::min(least, scale.maximum));
    if (least > scale.maximum)
        return "auto: no enlargement up to " + std::to_string(scale.maximum) +
               " hides the corners at every turn followed; the largest is used";
    return "auto: the least that hides the corners at every turn followed";
}

}  // namespace

std::string ReliableCount(const level::FollowedTiltRec& followed) {
    return std::to_string(followed.framesReliable) + " of " +
           std::to_string(followed.framesMeasured) + " frames";
}

std::string FollowTilts(PluginDataRec* settings, int width, int height,
                        const std::vector<double>& tiltDegrees, bool hideCorners,
                        std::vector<int32_t>* turns) {
    std::string note;
    turns->assign(tiltDegrees.size(), 0);
    for (int round = 0; round < 4; ++round) {
        bool changed = false;
        for (size_t i = 0; i < tiltDegrees.size(); ++i) {
            const int32_t turn = LevellingTurn(*settings, width, height, tiltDegrees[i]);
            changed = changed || turn != (*turns)[i];
            (*turns)[i] = turn;
        }
        if (!hideCorners || (round > 0 && !changed)) break;
        note = HideCornersAtEvery(settings, width, height, *turns);
    }
    return note;
}

level::FollowedTiltRec FollowClip(media::InputFile& in, const media::PictureShape& shape,
                                  int64_t first, int64_t last, const std::string& what) {
    const std::vector<level::FrameSampleRec> samples = level::MeasureFrames(in, shape, first, last);
    level::FollowedTiltRec followed =
        level::FollowTilt(samples, first, last, av_q2d(in.video().frameRate));
    if (!followed.reliable)
        throw media::InputError(what + ": " + in.path() +
                                " shows no reliable horizon to follow (reliable on " +
                                ReliableCount(followed) + "); give --turn yourself (hzfix level " +
                                in.path() + " --show FILE.png says why)");
    return followed;
}

void ResolveFollowedTurn(RunSettingsRec* run, media::InputFile& in,
                         const media::PictureShape& shape, int64_t first, int64_t last) {
    const level::FollowedTiltRec followed = FollowClip(in, shape, first, last, "--turn follow");
    const std::string scaleNote =
        FollowTilts(&run->settings, shape.format.width, shape.format.height, followed.tiltDegrees,
                    run->autoScale, &run->turns);
    run->turnsFrom = first;
    if (run->autoScale) run->notes["scale"] = scaleNote;
    const auto [low, high] = std::minmax_element(run->turns.begin(), run->turns.end());
    run->notes["turn"] = "follow: " + Fixed(*low * TurnDegrees(1) / 100, 2) + "\u00B0 to " +
                         Fixed(*high * TurnDegrees(1) / 100, 2) + "\u00B0 over " +
                         std::to_string(run->turns.size()) + " frames, the horizon found on " +
                         ReliableCount(followed) + ", smoothed";
}

}  // namespace hzfix

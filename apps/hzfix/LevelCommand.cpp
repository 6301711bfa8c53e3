// hzfix level: the tilt of a clip's horizon, the turn that levels it and
// the enlargement that hides the corners, measured on frames sampled over
// the clip, with how sure the measurement is.
#include <cmath>
#include <cstdio>
#include <optional>

#include "apps/frei0r/Frei0rParams.h"
#include "apps/hzfix/AutoSettings.h"
#include "apps/hzfix/Cli.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "apps/hzfix/FixedText.h"
#include "apps/hzfix/FollowTurn.h"
#include "apps/hzfix/MeltKeyframes.h"
#include "apps/hzfix/RunSettings.h"
#include "apps/hzfix/SeekingFrames.h"
#include "apps/hzfix/ShownClip.h"
#include "apps/level/LevelPictures.h"
#include "apps/level/TiltSampler.h"
#include "apps/media/Image.h"
#include "apps/media/InputFile.h"
#include "record/CornerCover.h"

namespace hzfix {

namespace {

const std::vector<OptionSpec> kLevelOptions = {
    {"--at", "TIME", "measure the one frame at TIME, seconds or [H:]M:S"},
    {"--from", "T", "measure frames from time T (default: the clip's start)"},
    {"--to", "T", "measure frames up to time T (default: the clip's end)"},
    {"--json", nullptr, "print one JSON object instead of lines for people"},
    {"--show", "FILE.png", "draw the lines found on the most telling frame: used, rejected, why"},
    {"--plot", "FILE.png",
     "draw each sampled frame's tilt over the clip's time, and the one chosen"},
    {"--save", nullptr, "keep the turn and the enlargement found as the saved settings"},
    {"--keyframes", "melt",
     "measure every frame and print its turn as keyframes for melt's frei0r turn parameter "
     "(turn=\"...\"), the enlargement that hides every frame's corners on stderr",
     "melt"},
    {"-y", nullptr, "replace existing pictures"},
    kKeepRotationOption,
};

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

struct LevelAnswer {
    level::ClipLevelRec measured;
    // The turn in degrees that levels the picture as it is drawn enlarged.
    double turnDegrees = 0;
    int16_t turn = 0, scale = 0;
    std::string scaleNote;
};

void PrintJson(const std::string& path, const LevelAnswer& a) {
    const level::ClipTiltRec& c = a.measured.clip;
    const auto orNull = [&](const std::string& v) { return c.reliable ? v : std::string("null"); };
    std::string text = "{\"clip\": " + JsonString(path) +
                       ", \"reliable\": " + (c.reliable ? "true" : "false") +
                       ", \"tilt_degrees\": " + orNull(Fixed(c.tiltDegrees, 3)) +
                       ", \"turn_degrees\": " + orNull(Fixed(a.turnDegrees, 2)) +
                       ", \"turn\": " + orNull(std::to_string(a.turn)) +
                       ", \"scale\": " + orNull(std::to_string(a.scale)) +
                       ", \"confidence\": " + Fixed(c.confidence, 3) +
                       ", \"trusted_from\": " + Fixed(level::kTrustedConfidence, 2) +
                       ", \"frames\": " + std::to_string(c.framesUsed) +
                       ", \"frames_sampled\": " + std::to_string(a.measured.frames.size()) +
                       ", \"lines\": " + std::to_string(c.linesUsed) + ", \"samples\": [";
    for (size_t i = 0; i < a.measured.frames.size(); ++i) {
        const level::FrameSampleRec& f = a.measured.frames[i];
        text += std::string(i ? ", " : "") + "{\"frame\": " + std::to_string(f.frame) +
                ", \"seconds\": " + Fixed(f.seconds, 3) +
                ", \"reliable\": " + (f.reliable ? "true" : "false") +
                ", \"tilt_degrees\": " + Fixed(f.tiltDegrees, 3) +
                ", \"confidence\": " + Fixed(f.confidence, 3) +
                ", \"lines\": " + std::to_string(f.linesUsed) + "}";
    }
    std::printf("%s]}\n", text.c_str());
}

void PrintWords(const std::string& path, const LevelAnswer& a) {
    const level::ClipTiltRec& c = a.measured.clip;
    const std::string sampled = std::to_string(a.measured.frames.size());
    if (!c.reliable) {
        std::printf(
            "%s: no reliable horizon (confidence %s, trusted from %s; %d of %s frames "
            "agree)\n  too few level or upright lines, or they disagree: give --turn "
            "yourself\n",
            path.c_str(), Fixed(c.confidence, 2).c_str(),
            Fixed(level::kTrustedConfidence, 2).c_str(), c.framesUsed, sampled.c_str());
        return;
    }
    const double tilt = c.tiltDegrees;
    std::printf(
        "%s: the horizon is tilted %s\u00B0 %s\n"
        "  levelled by --turn %sdeg (%d steps, %s\u00B0 %s)\n"
        "  corners hidden by --scale %d (%s)\n"
        "  confidence %s (trusted from %s), %d of %s frames agree, %d lines\n",
        path.c_str(), Fixed(std::abs(tilt), 2).c_str(),
        tilt >= 0 ? "clockwise" : "counter-clockwise", Fixed(a.turnDegrees, 2).c_str(), a.turn,
        Fixed(std::abs(TurnDegrees(a.turn)), 1).c_str(),
        a.turn >= 0 ? "counter-clockwise" : "clockwise", a.scale, a.scaleNote.c_str(),
        Fixed(c.confidence, 2).c_str(), Fixed(level::kTrustedConfidence, 2).c_str(), c.framesUsed,
        sampled.c_str(), c.linesUsed);
}

// The turn of every frame, for an editor that keyframes the filter.
void PrintKeyframes(media::InputFile& in, const media::PictureShape& shape, int64_t first,
                    int64_t last, PluginDataRec settings) {
    const level::FollowedTiltRec followed = FollowClip(in, shape, first, last, "--keyframes");
    std::vector<int32_t> turns;
    FollowTilts(&settings, shape.format.width, shape.format.height, followed.tiltDegrees, true,
                &turns);
    std::printf("%s\n", MeltTurnKeyframes(first, turns).c_str());
    const int16_t scale = settings.sliders[cScaleSlider - 1];
    std::fprintf(stderr,
                 "%s: the horizon found on %s; --scale %d (scale=%.6g) hides the corners at "
                 "every turn\n",
                 in.path().c_str(), ReliableCount(followed).c_str(), scale,
                 hzfrei0r::ToUnit(*SliderDesc(cScaleSlider), scale));
}

}  // namespace

const std::vector<OptionSpec>& LevelOptions() {
    static const std::vector<OptionSpec> options = WithRunSettingOptions(kLevelOptions);
    return options;
}

std::string LevelHelp() {
    return "usage: hzfix level CLIP [--at TIME | --from T --to T] [options]\n"
           "  Measures how far CLIP's horizon is tilted, from the level and upright lines in\n"
           "  frames sampled over it (or over --from..--to, or the one frame --at), and\n"
           "  prints the turn that levels it, the enlargement that hides the corners the turn\n"
           "  uncovers (for the framing and moves of the settings below), how sure it is\n"
           "  and how many frames and lines it used. Where the lines are too few or disagree\n"
           "  it says there is no reliable horizon rather than guess. With --keyframes melt\n"
           "  it measures every frame, smooths the tilts as render --turn follow does, and\n"
           "  prints each frame's turn for melt: -filter frei0r.horizonfix turn=\"KEYFRAMES\".\n" +
           OptionsHelp(kLevelOptions) + RunSettingsHelp();
}

int RunLevel(const Context& context, const std::vector<std::string>& words) {
    ParsedArgs args = ParseArgs(words, LevelOptions());
    if (args.positional.size() != 1) throw UsageError("level needs one CLIP");
    if (args.Has("--at") && (args.Has("--from") || args.Has("--to")))
        throw UsageError(
            "--at measures one frame; --from and --to a stretch: give one or the other");
    RunSettingsRec run = ResolveRunSettings(args, PrintWarning);
    if (run.autoTurn || run.autoScale || run.followTurn)
        throw UsageError(
            "level measures the turn and the enlargement itself: leave out auto and follow");

    media::InputFile in(args.positional[0], context.interrupt);
    const media::PictureShape shape = media::ShapeOf(in, args.Has("--keep-rotation"));
    int64_t first = 0, last = in.frameCount() - 1;
    if (auto v = args.Get("--at")) first = last = FrameAtTime(in, *v, "--at");
    if (auto v = args.Get("--from")) first = FrameAtTime(in, *v, "--from");
    if (auto v = args.Get("--to")) last = std::min(last, in.FrameShownAt(ParseSeconds(*v, "--to")));
    if (last < first)
        throw UsageError("--to " + *args.Get("--to") + " comes before --from " +
                         args.Get("--from").value_or("0"));

    if (auto v = args.Get("--keyframes")) {
        if (*v != "melt") throw UsageError("--keyframes: '" + *v + "' is not one of melt");
        for (const char* other : {"--json", "--save", "--show", "--plot"})
            if (args.Has(other))
                throw UsageError(std::string("--keyframes prints every frame's turn; ") + other +
                                 " is about one turn: give one or the other");
        PrintKeyframes(in, shape, first, last, run.settings);
        return kExitOk;
    }

    LevelAnswer answer;
    answer.measured = level::MeasureClip(in, shape, first, last);
    if (answer.measured.clip.reliable) {
        answer.scaleNote = Level(&run.settings, shape.format.width, shape.format.height,
                                 answer.measured.clip.tiltDegrees, true);
        answer.turn = run.settings.sliders[cTurnSlider - 1];
        answer.scale = run.settings.sliders[cScaleSlider - 1];
        answer.turnDegrees = DrawnTilt(run.settings, shape.format.width, shape.format.height,
                                       answer.measured.clip.tiltDegrees);
    }
    if (auto path = args.Get("--show")) {
        const level::ArgbPicture p = level::DrawLinesFound(answer.measured);
        media::WriteImage(*path, args.Has("-y"), p.argb.data(), p.width * 4, p.width, p.height);
    }
    if (auto path = args.Get("--plot")) {
        const double from = in.FrameSeconds(first);
        const level::ArgbPicture p =
            level::PlotTilts(answer.measured, from, in.FrameSeconds(last + 1) - from);
        media::WriteImage(*path, args.Has("-y"), p.argb.data(), p.width * 4, p.width, p.height);
    }
    if (args.Has("--json"))
        PrintJson(in.path(), answer);
    else
        PrintWords(in.path(), answer);
    if (args.Has("--save")) {
        // Nothing measured, nothing kept: the saved turn stays what it was.
        if (!answer.measured.clip.reliable)
            throw media::InputError("--save: no reliable horizon, so the saved settings are kept");
        ChangeSavedSettings(
            [&](PluginDataRec* saved) {
                saved->sliders[cTurnSlider - 1] = answer.turn;
                saved->sliders[cTurnFineSlot - 1] = 0;
                saved->sliders[cScaleSlider - 1] = answer.scale;
            },
            "level --save");
        std::fprintf(args.Has("--json") ? stderr : stdout, "  saved: turn %d, scale %d\n",
                     answer.turn, answer.scale);
    }
    return kExitOk;
}

}  // namespace hzfix

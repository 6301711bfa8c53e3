#include "apps/hzfix/RenderRequest.h"

#include "apps/hzfix/Commands.h"
#include "apps/hzfix/RunSettings.h"
#include "apps/hzfix/ShownClip.h"

namespace hzfix {

namespace {

const std::vector<OptionSpec> cRenderOptions = {
    {"--fade-in", "N", "frames over which the effect fades in (default: the plug-in's)", nullptr,
     OptionType::cInteger, 0, cFrameCountLimit},
    {"--fade-out", "N", "frames over which it fades out (default: the plug-in's)", nullptr,
     OptionType::cInteger, 0, cFrameCountLimit},
    {"--start", "T", "render from time T (seconds or [H:]M:S)", nullptr, OptionType::cTime},
    {"--duration", "T", "render this long", nullptr, OptionType::cTime},
    {"--proxy", nullptr, "the plug-in's quick low-quality path; no audio"},
    {"-c:v", "ENCODER",
     "the video encoder: libx264, libx265, libvpx-vp9, prores_ks, ffv1... "
     "(default: H.264, VP9 for .webm)"},
    {"--codec", "ENCODER", "the same as -c:v"},
    {"--pix-fmt", "FORMAT",
     "pixel format, e.g. yuv420p, yuv422p10le (default: the input's, "
     "where the encoder takes it)"},
    {"-c:a", "ENCODER",
     "the audio encoder, or copy to keep the sound as it is (default: "
     "copied where it can be, else AAC)"},
    {"--crf", "N", "rate factor (x264 18, x265 20, VP9 31 by default; lower is better)", nullptr,
     OptionType::cInteger, 0, 51},
    {"--preset", "NAME", "x264 or x265 speed preset (default veryfast, fast)"},
    {"-y", nullptr, "replace an existing OUT"},
    {"-n", nullptr, "never replace OUT (the default)"},
    {"-q", nullptr, "no progress line"},
    {"--progress", "FILE", "write key=value progress blocks to FILE (- for stdout)"},
    {"--stats", nullptr, "print the time each stage took"},
    {"-f", "TYPE", "the type of OUT when it is - (standard output): mkv, ts, mp4..."},
    kKeepRotationOption,
};

}  // namespace

const std::vector<OptionSpec>& RenderOptions() {
    static const std::vector<OptionSpec> options = WithRunSettingOptions(cRenderOptions);
    return options;
}

std::string RenderHelp() {
    return "usage: hzfix render IN OUT [options]\n"
           "  Runs the effect over every frame of IN and writes OUT (container from its name;\n"
           "  H.264 video for .mp4, .mkv and .mov). Frame rate, size, pixel aspect and colour\n"
           "  range are kept. Odd frame sizes are encoded with full-size chroma (4:4:4; VP9\n"
           "  takes them in 4:2:0), so nothing is cropped or padded; a --pix-fmt with halved\n"
           "  chroma pads them by one column or row. The audio of the frames the plug-in\n"
           "  passes on is kept: copied when the whole clip is rendered, re-encoded\n"
           "  otherwise. IN or OUT may be - for standard input or output.\n" +
           OptionsHelp(cRenderOptions) + RunSettingsHelp();
}

RenderRequest ParseRenderRequest(const std::vector<std::string>& words) {
    RenderRequest r;
    r.args = ParseArgs(words, RenderOptions());
    const ParsedArgs& args = r.args;
    if (args.positional.size() != 2) throw UsageError("render needs IN and OUT");
    if (args.Has("-y") && args.Has("-n")) throw UsageError("-y and -n contradict each other");
    r.in = args.positional[0];
    r.out = args.positional[1];
    r.outType = args.Get("-f").value_or("");
    r.replace = args.Has("-y");
    r.proxy = args.Has("--proxy");
    r.quiet = args.Has("-q");
    r.stats = args.Has("--stats");
    r.fadeIn = args.Integer("--fade-in");
    r.fadeOut = args.Integer("--fade-out");
    r.startSeconds = args.Seconds("--start").value_or(0);
    r.durationSeconds = args.Seconds("--duration");
    if (auto crf = args.Integer("--crf")) r.encoding.crf = static_cast<int>(*crf);
    r.encoding.preset = args.Get("--preset").value_or("");
    r.encoding.codec = args.Get("-c:v").value_or(args.Get("--codec").value_or(""));
    r.encoding.pixelFormat = args.Get("--pix-fmt").value_or("");
    r.audioEncoder = args.Get("-c:a").value_or("");
    r.progressPath = args.Get("--progress");
    return r;
}

}  // namespace hzfix

#include <unistd.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "apps/hzfix/AudioRouter.h"
#include "apps/hzfix/AutoSettings.h"
#include "apps/hzfix/Cli.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "apps/hzfix/OtherStreams.h"
#include "apps/hzfix/Pipeline.h"
#include "apps/hzfix/Progress.h"
#include "apps/hzfix/RunSettings.h"
#include "apps/hzfix/ShownClip.h"
#include "apps/hzfix/StandardStreams.h"
#include "apps/media/ArgbConverter.h"
#include "apps/media/InputFile.h"
#include "apps/media/OutputFile.h"
#include "apps/media/SameFile.h"
#include "persistence/prefsloader.h"

namespace hzfix {

namespace {

const std::vector<OptionSpec> kRenderOptions = {
    {"--fade-in", "N", "frames over which the effect fades in (default: the plug-in's)"},
    {"--fade-out", "N", "frames over which it fades out (default: the plug-in's)"},
    {"--start", "T", "render from time T (seconds or [H:]M:S)"},
    {"--duration", "T", "render this long"},
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
    {"--crf", "N", "rate factor, 0-51 (x264 18, x265 20, VP9 31 by default; lower is better)"},
    {"--preset", "NAME", "x264 or x265 speed preset (default veryfast, fast)"},
    {"-y", nullptr, "replace an existing OUT"},
    {"-n", nullptr, "never replace OUT (the default)"},
    {"-q", nullptr, "no progress line"},
    {"--progress", "FILE", "write key=value progress blocks to FILE (- for stdout)"},
    {"--stats", nullptr, "print the time each stage took"},
    {"-f", "TYPE", "the type of OUT when it is - (standard output): mkv, ts, mp4..."},
    kKeepRotationOption,
};

class PluginRenderer : public FrameRenderer {
  public:
    PluginRenderer(pluginhost::PluginHost& host, int32_t startFrame)
        : host_(host), start_(startFrame) {}

    HYPluginResult Render(int32_t renderFrame, GWorldPtr dest, const Rect& frameRect,
                          bool* audioPassed) override {
        const size_t before = host_.audioPassed().size();
        HYPluginResult result = host_.RenderFrame(renderFrame, dest, frameRect);
        const auto& passed = host_.audioPassed();
        *audioPassed = false;
        for (size_t i = before; i < passed.size(); ++i)
            *audioPassed = *audioPassed || passed[i] == start_ + renderFrame;
        // The host records every call; a long render would hoard them.
        host_.clearCalls();
        return result;
    }

  private:
    pluginhost::PluginHost& host_;
    int32_t start_;
};

void PrintStats(const StageTimes& t) {
    auto rate = [&](double seconds) { return seconds > 0 ? t.frames / seconds : 0.0; };
    std::fprintf(stderr,
                 "stats: %" PRId64
                 " frames in %.2f s: %.1f fps\n"
                 "  decode     %7.2f s  %8.1f fps alone\n"
                 "  to ARGB    %7.2f s  %8.1f fps alone\n"
                 "  hand-over  %7.2f s  %8.1f fps alone\n"
                 "  plug-in    %7.2f s  %8.1f fps alone\n"
                 "  from ARGB  %7.2f s  %8.1f fps alone\n"
                 "  encode     %7.2f s  %8.1f fps alone\n",
                 t.frames, t.wall, rate(t.wall), t.decode, rate(t.decode), t.toArgb, rate(t.toArgb),
                 t.handOver, rate(t.handOver), t.plugin, rate(t.plugin), t.fromArgb,
                 rate(t.fromArgb), t.encode, rate(t.encode));
}

struct ProgressFile {
    FILE* file = nullptr;
    bool owned = false;
    ~ProgressFile() {
        if (owned) std::fclose(file);
    }
};

}  // namespace

const std::vector<OptionSpec>& RenderOptions() {
    static const std::vector<OptionSpec> options = WithRunSettingOptions(kRenderOptions);
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
           OptionsHelp(kRenderOptions) + RunSettingsHelp();
}

int RunRender(const Context& context, const std::vector<std::string>& words) {
    ParsedArgs args = ParseArgs(words, RenderOptions());
    if (args.positional.size() != 2) throw UsageError("render needs IN and OUT");
    const StreamFiles files(args.positional[0], args.positional[1], args.Get("-f").value_or(""));
    const std::string& inPath = files.in();
    const std::string& outPath = files.out();
    if (args.Has("-y") && args.Has("-n")) throw UsageError("-y and -n contradict each other");
    const bool proxy = args.Has("--proxy");
    const int64_t int32Max = std::numeric_limits<int32_t>::max();
    std::optional<int64_t> fadeIn, fadeOut;
    if (auto v = args.Get("--fade-in")) fadeIn = ParseInteger(*v, 0, int32Max, "--fade-in");
    if (auto v = args.Get("--fade-out")) fadeOut = ParseInteger(*v, 0, int32Max, "--fade-out");
    double startSeconds = 0;
    std::optional<double> durationSeconds;
    if (auto v = args.Get("--start")) startSeconds = ParseSeconds(*v, "--start");
    if (auto v = args.Get("--duration")) durationSeconds = ParseSeconds(*v, "--duration");
    media::VideoEncoding encoding;
    if (auto v = args.Get("--crf"))
        encoding.crf = static_cast<int>(ParseInteger(*v, 0, 51, "--crf"));
    if (auto v = args.Get("--preset")) encoding.preset = *v;
    if (auto v = args.Get("--codec")) encoding.codec = *v;
    if (auto v = args.Get("-c:v")) encoding.codec = *v;
    if (auto v = args.Get("--pix-fmt")) encoding.pixelFormat = *v;
    const std::string audioEncoder = args.Get("-c:a").value_or("");
    media::CheckVideoEncoding(outPath, encoding);

    RunSettingsRec run = ResolveRunSettings(args, PrintWarning);

    media::RefuseOutputOverInput(inPath, outPath);
    auto plugin = context.LoadPlugin();
    media::InputFile in(inPath, context.interrupt);
    const media::PictureShape shape = media::ShapeOf(in, args.Has("--keep-rotation"));
    RequirePluginFrameSize(inPath, shape.format.width, shape.format.height);
    const int64_t total = in.frameCount();
    // Times are judged as seconds first: a frame number made from a time far
    // past the clip would not fit the integers the frames are counted in.
    if (startSeconds >= in.FrameSeconds(total) || in.FrameAt(startSeconds) >= total)
        throw UsageError("--start " + *args.Get("--start") + " is past the end of " + inPath +
                         " (" + std::to_string(total) + " frames, " +
                         std::to_string(in.FrameSeconds(total)) + " s)");
    if (durationSeconds && *durationSeconds > in.FrameSeconds(int32Max))
        throw UsageError(
            "--duration " + *args.Get("--duration") + " is longer than the plug-in can count (" +
            std::to_string(in.FrameSeconds(int32Max)) + " s at " + inPath + "'s frame rate)");
    const int64_t startFrame = in.FrameAt(startSeconds);
    int64_t count = total - startFrame;
    if (durationSeconds)
        count = std::min(count, in.FrameAt(startSeconds + *durationSeconds) - startFrame);
    if (count <= 0) throw UsageError("--duration is shorter than one frame");
    for (const auto& [option, frames] :
         {std::pair{"--fade-in", fadeIn}, std::pair{"--fade-out", fadeOut}})
        if (frames && *frames > count)
            throw UsageError(std::string(option) + " " + std::to_string(*frames) +
                             " is longer than the " + std::to_string(count) +
                             " frames rendered (0 to " + std::to_string(count) + ")");
    if (startFrame + count > int32Max)
        throw media::InputError(inPath + " has more frames than the plug-in can count");
    ResolveAutoSettings(&run, in, shape, startFrame, startFrame + count - 1);

    ProgressFile progressFile;
    if (auto v = args.Get("--progress")) {
        if (*v == "-") {
            progressFile.file = stdout;
        } else {
            progressFile.file = std::fopen(v->c_str(), "w");
            if (!progressFile.file)
                throw media::OutputError("cannot write the progress file " + *v);
            progressFile.owned = true;
        }
    }
    const bool line = !args.Has("-q") && isatty(STDERR_FILENO);
    Progress progress(line, progressFile.file, count, av_q2d(in.video().frameRate));
    in.setWarningSink([&](const std::string& m) { progress.Warn(m); });

    media::OutputFile out(outPath, args.Has("-y"));
    out.setKeepRotation(shape.keepsRotation());
    media::VideoEncoding videoEncoding = encoding;
    videoEncoding.format = shape.format;
    const std::string videoWords = out.AddVideo(videoEncoding);

    const AVStream* inAudio = proxy ? nullptr : in.audioStream();
    std::unique_ptr<AudioRouter> audio;
    std::string audioWords = proxy ? "none (proxy)" : "none (IN has none)";
    if (inAudio) {
        const bool wholeClip = startFrame == 0 && count == total;
        const bool canCopy = wholeClip && out.CanCopy(inAudio->codecpar);
        const std::string codecName = avcodec_get_name(inAudio->codecpar->codec_id);
        if (audioEncoder == "copy" && !canCopy)
            throw media::EncodingError(
                "-c:a copy: " + (wholeClip
                                     ? "this container cannot hold " + codecName + " audio as it is"
                                     : std::string("only a whole clip's audio can be copied")));
        AudioRouter::Mode mode = AudioRouter::Mode::kEncode;
        if (canCopy && (audioEncoder.empty() || audioEncoder == "copy")) {
            out.AddAudioCopy(inAudio);
            mode = AudioRouter::Mode::kCopy;
            audioWords = "copied (" + codecName + ")";
        } else {
            audioWords =
                "encoded: " + out.AddAudioEncoder(inAudio->codecpar->sample_rate,
                                                  inAudio->codecpar->ch_layout, audioEncoder);
            if (wholeClip && audioEncoder.empty())
                progress.Warn("audio stream " + std::to_string(inAudio->index) + " (" + codecName +
                              ") cannot go into this container as it is; it is " + audioWords);
        }
        audio = std::make_unique<AudioRouter>(in, out, mode, startFrame, count,
                                              [&](const std::string& m) { progress.Warn(m); });
        in.setAudioSink([&](media::PacketPtr p) { audio->Enqueue(std::move(p)); });
    }
    // Rendered to its end, the clip keeps what lies past its last picture.
    const double from = in.FrameSeconds(startFrame);
    const double to = startFrame + count == total ? std::numeric_limits<double>::infinity()
                                                  : in.FrameSeconds(startFrame + count);
    const OtherStreamsRec others = ChooseOtherStreams(in, out);
    for (const std::string& lost : out.CopyDescription(in, from, to))
        progress.Warn("not kept: " + lost);
    for (const std::string& lost : others.lost) progress.Warn("not kept: " + lost);
    std::optional<OtherStreams> copies;
    if (!others.kept.empty()) copies.emplace(in, others.kept, from, to, out);
    out.Start();

    Pipeline pipeline(in, out, shape, startFrame, count, audio.get(), copies ? &*copies : nullptr,
                      progress, *context.interrupt);
    pluginhost::PluginHost host(*plugin, pipeline.frames());
    host.setClipSettings(Config2Bytes(run.settings));
    HYPluginParams described;
    HYPluginResult result = host.GetInfo(static_cast<int32_t>(count), &described);
    if (result != kPluginOK) throw PluginFailure("to describe itself", result);

    pluginhost::ClipSettings clip;
    clip.startFrame = static_cast<int32_t>(startFrame);
    clip.frameCount = static_cast<int32_t>(count);
    clip.fadeInFrames =
        static_cast<int32_t>(fadeIn.value_or(described.getInfo2.defaultFadeInFrames));
    clip.fadeOutFrames =
        static_cast<int32_t>(fadeOut.value_or(described.getInfo2.defaultFadeOutFrames));
    for (int i = 0; i < kHYFilterSliderCount; ++i)
        clip.sliderValues[i] = described.getInfo2.filterSliders[i].defaultValue;
    clip.proxyOnly = proxy;
    result = host.BeginClip(clip);
    if (result != kPluginOK) throw PluginFailure("to begin the clip", result);

    PluginRenderer renderer(host, clip.startFrame);
    pipeline.Run(renderer);
    result = host.EndClip();
    if (result != kPluginOK) throw PluginFailure("to end the clip", result);

    if (audio && audio->copyBroken()) {
        // Some frame's audio was held back after copying had begun: the
        // other streams are kept, the audio is made again with that frame
        // silent.
        media::OutputFile remuxed(outPath, args.Has("-y"));
        remuxed.setKeepRotation(shape.keepsRotation());
        out.FinishUnplaced();
        RemuxWithEncodedAudio(out.temporaryPath(), out.audioStreamIndex(), in, startFrame,
                              audio->verdicts(), remuxed);
        remuxed.Finish();
        audioWords = "encoded (the plug-in held back some frames' audio)";
    } else {
        out.Finish();
    }
    if (in.repairedFrames() > 0)
        progress.Warn(std::to_string(in.repairedFrames()) +
                      " damaged frame(s) were replaced by the frame before them");
    if (args.Has("--stats")) PrintStats(pipeline.times());
    files.Deliver();
    const int depth = media::BitsPerChannel(in.video().pixelFormat);
    const std::string depthWords =
        depth > 8 ? "  depth: the effect works at 8 bits per channel; IN's " +
                        std::to_string(depth) + " bits were dithered down to them\n"
                  : "";
    std::fprintf(files.outToStdout() ? stderr : stdout,
                 "%s: %" PRId64
                 " frames, %dx%d at %.3f fps\n  video: %s\n%s  audio: %s\n%s"
                 "  settings: %s (%s)\n",
                 args.positional[1].c_str(), count, shape.format.width, shape.format.height,
                 av_q2d(in.video().frameRate), videoWords.c_str(), depthWords.c_str(),
                 audioWords.c_str(),
                 PicturesSummary(shape, shape.keepsRotation() && out.CanHoldRotation()).c_str(),
                 SettingsSummary(run).c_str(), run.origin.c_str());
    return kExitOk;
}

}  // namespace hzfix

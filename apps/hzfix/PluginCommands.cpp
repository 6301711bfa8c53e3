#include <cinttypes>
#include <cstdio>
#include <limits>

#include "apps/hzfix/AutoSettings.h"
#include "apps/hzfix/Cli.h"
#include "apps/hzfix/ClipOpening.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "apps/hzfix/RunSettings.h"
#include "apps/hzfix/SeekingFrames.h"
#include "apps/hzfix/ShownClip.h"
#include "apps/hzfix/StandardStreams.h"
#include "apps/media/ArgbConverter.h"
#include "apps/media/Image.h"
#include "apps/media/InputFile.h"
#include "persistence/prefsloader.h"
#include "platform/quickdraw/QuickDraw.h"

namespace hzfix {

namespace {

const std::vector<OptionSpec> kThumbnailOptions = {
    {"--at", "TIME", "the frame at TIME, seconds or [H:]M:S (default: the plug-in picks)", nullptr,
     OptionType::cTime},
    {"-y", nullptr, "replace an existing OUT.png"},
    {"-f", "TYPE", "png or jpg: the type of OUT.png when it is - (default png)"},
    kKeepRotationOption,
};

std::string TypeName(int type) {
    switch (type) {
        case kPluginTitleType:
            return "title";
        case kPluginTransitionBeforeType:
        case kPluginTransitionBetweenType:
        case kPluginTransitionAfterType:
            return "transition";
        case kPluginFilterType:
            return "filter";
        default:
            return "unknown";
    }
}

// Fixed-size text fields need not end in a zero.
std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

// The info request needs no frames.
class NoFrames : public pluginhost::FrameProvider {
  public:
    HYPluginResult ProvideFrame(int32_t, HYRefDVQuality, GWorldPtr) override {
        return kPluginCantGetNeededFrame;
    }
};

}  // namespace

const std::vector<OptionSpec>& ThumbnailOptions() {
    static const std::vector<OptionSpec> options = WithRunSettingOptions(kThumbnailOptions);
    return options;
}

void RequirePluginFrameSize(const std::string& path, int width, int height) {
    constexpr int kLimit = std::numeric_limits<int16_t>::max();
    if (width > kLimit || height > kLimit)
        throw media::InputError(path + ": " + std::to_string(width) + "x" + std::to_string(height) +
                                " is larger than the plug-in's " + std::to_string(kLimit) +
                                " pixels a side");
}

const std::vector<OptionSpec>& InfoOptions() {
    static const std::vector<OptionSpec> none;
    return none;
}

std::string InfoHelp() {
    return "usage: hzfix info\n"
           "  What the plug-in says about itself: its kind, sliders, button, default fades.\n";
}

int RunInfo(const Context& context, const std::vector<std::string>& words) {
    ParsedArgs args = ParseArgs(words, InfoOptions());
    if (!args.positional.empty()) throw UsageError("info takes no arguments");
    auto plugin = context.LoadPlugin();
    NoFrames frames;
    pluginhost::PluginHost host(*plugin, frames);
    // The plug-in saves its settings on its first call unless its host keeps
    // them: asking it about itself must not create or rewrite the user's
    // preferences file.
    host.setClipSettings(Config2Bytes(cDefaultSettings));
    HYPluginParams d;
    HYPluginResult result = host.GetInfo(0, &d);
    if (result != kPluginOK) throw PluginFailure("to describe itself", result);

    std::printf("plug-in:      %s\n", plugin->libraryPath().c_str());
    std::printf("type:         %s (%d)\n", TypeName(d.getInfo.pluginType).c_str(),
                d.getInfo.pluginType);
    std::printf("group:        %s\n", Field(d.getInfo2.group, kHYTextFieldLength).c_str());
    for (int i = 0; i < kHYFilterSliderCount; ++i) {
        const HYPluginFilterSliderInfo& s = d.getInfo2.filterSliders[i];
        std::printf("slider %d:     \"%s\" from \"%s\" to \"%s\", default %g\n", i + 1,
                    Field(s.label, kHYTextFieldLength).c_str(),
                    Field(s.minLabel, kHYTextFieldLength).c_str(),
                    Field(s.maxLabel, kHYTextFieldLength).c_str(), s.defaultValue);
    }
    std::printf("button:       \"%s\"\n",
                Field(d.getInfo3.buttonTitle, kHYButtonTitleLength).c_str());
    std::printf("frames:       to be rendered %" PRId32 ", from the clip before %" PRId32
                ", after %" PRId32 "\n",
                d.getInfo.framesToBeRendered, d.getInfo.takeFromClipBefore,
                d.getInfo.takeFromClipAfter);
    std::printf("fades:        in %" PRId32 ", out %" PRId32 " frames by default\n",
                d.getInfo2.defaultFadeInFrames, d.getInfo2.defaultFadeOutFrames);
    std::printf("hang frames:  %" PRId32 " to %" PRId32 "\n", d.getInfo2.minHangFrames,
                d.getInfo2.maxHangFrames);
    std::printf("thumbnail:    frame %" PRId32 "\n", d.getInfo.bestThumbOffset);
    return kExitOk;
}

std::string ThumbnailHelp() {
    return "usage: hzfix thumbnail IN OUT.png [options]\n"
           "  Asks the plug-in for its placeholder picture of IN: one frame with the effect,\n"
           "  by default the frame the plug-in itself picks, written as a PNG at IN's size.\n" +
           OptionsHelp(kThumbnailOptions) + RunSettingsHelp();
}

int RunThumbnail(const Context& context, const std::vector<std::string>& words) {
    ParsedArgs args = ParseArgs(words, ThumbnailOptions());
    if (args.positional.size() != 2) throw UsageError("thumbnail needs IN and OUT.png");
    const StreamFiles files(args.positional[0], args.positional[1], args.Get("-f").value_or("png"));
    OpenedClip opened = OpenClip(context, args, files);
    RunSettingsRec& run = opened.run;
    media::InputFile& in = *opened.in;
    const media::PictureShape& shape = opened.shape;
    std::optional<int64_t> at;
    if (auto v = args.Get("--at")) at = FrameAtTime(in, *v, "--at");
    ResolveAutoSettings(&run, in, shape, 0, in.frameCount() - 1);
    SeekingFrames frames(in, shape);
    pluginhost::PluginHost host(*opened.plugin, frames);
    host.setClipSettings(Config2Bytes(run.settings));
    HYPluginParams d;
    HYPluginResult result = host.GetInfo(static_cast<int32_t>(in.frameCount()), &d);
    if (result != kPluginOK) throw PluginFailure("to describe itself", result);
    const int32_t frame = static_cast<int32_t>(
        at.value_or(std::clamp<int64_t>(d.getInfo.bestThumbOffset, 0, in.frameCount() - 1)));
    if (run.followTurn) host.setClipSettings(Config2Bytes(SettingsAt(run, frame)));

    const int width = shape.format.width, height = shape.format.height;
    const Rect bounds = {0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    GWorldPtr picture = nullptr;
    if (NewGWorld(&picture, 32, &bounds, nullptr, nullptr, 0) != noErr) throw std::bad_alloc();
    struct Disposer {
        GWorldPtr world;
        ~Disposer() { DisposeGWorld(world); }
    } disposer{picture};

    pluginhost::ClipSettings clip;
    clip.frameCount = static_cast<int32_t>(in.frameCount());
    result = DrawByFields(shape, frames, picture,
                          [&](GWorldPtr into) { return host.PlaceHolder(clip, frame, into); });
    if (result != kPluginOK) throw PluginFailure("to draw the placeholder", result);
    PixMapHandle pm = GetGWorldPixMap(picture);
    media::WriteImage(files.out(), args.Has("-y"),
                      reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm)), GetPixRowBytes(pm),
                      width, height);
    files.Deliver();
    std::fprintf(files.outToStdout() ? stderr : stdout, "%s: frame %" PRId32 " of %s, %dx%d\n%s",
                 args.positional[1].c_str(), frame, args.positional[0].c_str(), width, height,
                 PicturesSummary(shape, false).c_str());
    if (run.autoTurn || run.autoScale || run.followTurn)
        std::fprintf(files.outToStdout() ? stderr : stdout, "  settings: %s (%s)\n",
                     SettingsSummary(run).c_str(), run.origin.c_str());
    return kExitOk;
}

}  // namespace hzfix

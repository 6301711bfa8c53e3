// hzfix preview: one frame with the effect, to find the settings before a
// render. The corners a turn uncovers are marked: they are found by
// rendering the frame once more from a plain picture in the background's
// opposite colour, where every pixel still of the background colour is one
// the picture does not reach.
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <vector>

#include "apps/hzfix/AutoSettings.h"
#include "apps/hzfix/Cli.h"
#include "apps/hzfix/ClipOpening.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "apps/hzfix/RunSettings.h"
#include "apps/hzfix/SeekingFrames.h"
#include "apps/hzfix/ShownClip.h"
#include "apps/hzfix/StandardStreams.h"
#include "apps/media/Image.h"
#include "persistence/prefsloader.h"
#include "platform/quickdraw/QuickDraw.h"

namespace hzfix {

namespace {

constexpr int kGap = 8;          // pixels between source and result side by side
constexpr int kStripeWidth = 6;  // of the marks on uncovered corners

const std::vector<OptionSpec> kPreviewOptions = {
    {"--at", "TIME", "the frame at TIME, seconds or [H:]M:S (default: the middle one)", nullptr,
     OptionType::cTime},
    {"--side-by-side", nullptr, "the source frame on the left, the result on the right"},
    {"--no-marks", nullptr, "leave the uncovered corners in the background colour"},
    {"-y", nullptr, "replace an existing OUT.png"},
    {"-f", "TYPE", "png or jpg: the type of OUT.png when it is - (default png)"},
    kKeepRotationOption,
};

// The clip's frames, or in plain mode one colour everywhere.
class PreviewFrames : public pluginhost::FrameProvider {
  public:
    PreviewFrames(media::InputFile& in, const media::PictureShape& shape) : frames_(in, shape) {}
    void SetPlain(std::optional<uint32_t> argb) { plain_ = argb; }
    SeekingFrames& clip() { return frames_; }

    HYPluginResult ProvideFrame(int32_t frameNumber, HYRefDVQuality quality,
                                GWorldPtr out) override {
        if (!plain_) return frames_.ProvideFrame(frameNumber, quality, out);
        PixMapHandle pm = GetGWorldPixMap(out);
        Rect bounds;
        GetPortBounds(out, &bounds);
        for (int y = 0; y < bounds.bottom - bounds.top; ++y) {
            uint8_t* row = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)) +
                           static_cast<ptrdiff_t>(y) * GetPixRowBytes(pm);
            for (int x = 0; x < bounds.right - bounds.left; ++x) {
                row[4 * x] = 0xFF;
                row[4 * x + 1] = static_cast<uint8_t>(*plain_ >> 16);
                row[4 * x + 2] = static_cast<uint8_t>(*plain_ >> 8);
                row[4 * x + 3] = static_cast<uint8_t>(*plain_);
            }
        }
        return kPluginOK;
    }

  private:
    SeekingFrames frames_;
    std::optional<uint32_t> plain_;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> argb;  // rows of width * 4 bytes
    uint8_t* At(int x, int y) { return argb.data() + (static_cast<size_t>(y) * width + x) * 4; }
};

Picture Copy(GWorldPtr world) {
    Rect bounds;
    GetPortBounds(world, &bounds);
    Picture p{bounds.right - bounds.left, bounds.bottom - bounds.top, {}};
    p.argb.resize(static_cast<size_t>(p.width) * p.height * 4);
    PixMapHandle pm = GetGWorldPixMap(world);
    for (int y = 0; y < p.height; ++y)
        std::copy_n(reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm)) +
                        static_cast<ptrdiff_t>(y) * GetPixRowBytes(pm),
                    p.width * 4, p.At(0, y));
    return p;
}

class Buffer {
  public:
    Buffer(int width, int height) {
        const Rect bounds = {0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
        if (NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0) != noErr) throw std::bad_alloc();
    }
    ~Buffer() { DisposeGWorld(world_); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    GWorldPtr get() const { return world_; }

  private:
    GWorldPtr world_ = nullptr;
};

// Stripes over every pixel the picture does not reach, so the corners to
// hide (by enlarging) stand out from a background of any colour.
int MarkUncovered(Picture* result, const Picture& plain, uint32_t background) {
    int uncovered = 0;
    for (int y = 0; y < result->height; ++y)
        for (int x = 0; x < result->width; ++x) {
            const uint8_t* p = plain.argb.data() + (static_cast<size_t>(y) * plain.width + x) * 4;
            const uint32_t rgb = uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
            if (rgb != background) continue;
            ++uncovered;
            if ((x + y) / kStripeWidth % 2) continue;
            uint8_t* q = result->At(x, y);
            q[1] = 255;
            q[2] = 0;
            q[3] = 255;
        }
    return uncovered;
}

Picture SideBySide(const Picture& left, const Picture& right) {
    Picture sheet{left.width + kGap + right.width, std::max(left.height, right.height), {}};
    sheet.argb.assign(static_cast<size_t>(sheet.width) * sheet.height * 4, 255);
    for (int y = 0; y < left.height; ++y)
        std::copy_n(left.argb.data() + static_cast<size_t>(y) * left.width * 4, left.width * 4,
                    sheet.At(0, y));
    for (int y = 0; y < right.height; ++y)
        std::copy_n(right.argb.data() + static_cast<size_t>(y) * right.width * 4, right.width * 4,
                    sheet.At(left.width + kGap, y));
    return sheet;
}

}  // namespace

const std::vector<OptionSpec>& PreviewOptions() {
    static const std::vector<OptionSpec> options = WithRunSettingOptions(kPreviewOptions);
    return options;
}

std::string PreviewHelp() {
    return "usage: hzfix preview IN OUT.png [options]\n"
           "  One frame of IN with the effect, written as a PNG, to try settings before a\n"
           "  render. Corners the turn uncovers are striped in magenta: enlarge (--scale)\n"
           "  until they are gone.\n" +
           OptionsHelp(kPreviewOptions) + RunSettingsHelp();
}

int RunPreview(const Context& context, const std::vector<std::string>& words) {
    ParsedArgs args = ParseArgs(words, PreviewOptions());
    if (args.positional.size() != 2) throw UsageError("preview needs IN and OUT.png");
    const StreamFiles files(args.positional[0], args.positional[1], args.Get("-f").value_or("png"));
    OpenedClip opened = OpenClip(context, args, files);
    RunSettingsRec& run = opened.run;
    media::InputFile& in = *opened.in;
    const media::PictureShape& shape = opened.shape;
    const int64_t frame =
        args.Get("--at") ? FrameAtTime(in, *args.Get("--at"), "--at") : in.frameCount() / 2;
    const int width = shape.format.width, height = shape.format.height;
    // Measured over the whole clip, as its render would be.
    ResolveAutoSettings(&run, in, shape, 0, in.frameCount() - 1);
    run.settings = SettingsAt(run, frame);

    PreviewFrames frames(in, shape);
    pluginhost::PluginHost host(*opened.plugin, frames);
    host.setClipSettings(Config2Bytes(run.settings));
    HYPluginResult result = host.GetInfo(1, nullptr);
    if (result != kPluginOK) throw PluginFailure("to describe itself", result);
    pluginhost::ClipSettings clip;
    clip.startFrame = static_cast<int32_t>(frame);
    clip.frameCount = 1;
    result = host.BeginClip(clip);
    if (result != kPluginOK) throw PluginFailure("to begin the clip", result);

    Buffer dest(width, height);
    const Rect frameRect = {0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    result = DrawByFields(shape, frames.clip(), dest.get(),
                          [&](GWorldPtr into) { return host.RenderFrame(0, into, frameRect); });
    if (result != kPluginOK) throw PluginFailure("to render the frame", result);
    Picture picture = Copy(dest.get());

    int uncovered = 0;
    if (!args.Has("--no-marks")) {
        const RGBColor bg = run.settings.colors[cBackgroundColor - 1];
        const uint32_t background =
            (uint32_t{bg.red} >> 8) << 16 | (uint32_t{bg.green} >> 8) << 8 | uint32_t{bg.blue} >> 8;
        frames.SetPlain(~background & 0xFFFFFF);
        result = host.RenderFrame(0, dest.get(), frameRect);
        if (result != kPluginOK) throw PluginFailure("to render the frame", result);
        uncovered = MarkUncovered(&picture, Copy(dest.get()), background);
    }
    host.EndClip();

    if (args.Has("--side-by-side")) {
        Buffer source(width, height);
        frames.SetPlain(std::nullopt);
        if (frames.ProvideFrame(static_cast<int32_t>(frame), kDVHighQuality, source.get()) !=
            kPluginOK)
            throw media::InputError("cannot decode frame " + std::to_string(frame) + " of " +
                                    in.path());
        picture = SideBySide(Copy(source.get()), picture);
    }
    media::WriteImage(files.out(), args.Has("-y"), picture.argb.data(), picture.width * 4,
                      picture.width, picture.height);
    files.Deliver();
    std::fprintf(files.outToStdout() ? stderr : stdout,
                 "%s: frame %" PRId64 " of %s, %dx%d; %s\n%s  settings: %s (%s)\n",
                 args.positional[1].c_str(), frame, in.path().c_str(), width, height,
                 uncovered ? (std::to_string(uncovered) + " pixels uncovered (striped)").c_str()
                           : "no corner uncovered",
                 PicturesSummary(shape, false).c_str(), SettingsSummary(run).c_str(),
                 run.origin.c_str());
    return kExitOk;
}

}  // namespace hzfix

#include <cinttypes>
#include <cstdio>

#include "apps/hzfix/AudioRouter.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "apps/hzfix/Pipeline.h"
#include "apps/hzfix/RenderPlan.h"
#include "apps/hzfix/RenderRequest.h"
#include "apps/hzfix/ShownClip.h"
#include "apps/media/ArgbConverter.h"
#include "persistence/prefsloader.h"

namespace hzfix {

namespace {

class PluginRenderer : public FrameRenderer {
  public:
    PluginRenderer(pluginhost::PluginHost& host, int32_t startFrame, const RunSettingsRec& run)
        : host_(host), start_(startFrame), run_(run) {
        host_.setAudioPassedSink([this](int32_t frame) { passed_ = passed_ || frame == asked_; });
    }
    ~PluginRenderer() override { host_.setAudioPassedSink(nullptr); }

    HYPluginResult Render(int32_t renderFrame, GWorldPtr dest, const Rect& frameRect,
                          bool* audioPassed) override {
        asked_ = start_ + renderFrame;
        passed_ = false;
        // The plug-in takes the clip's settings again for every frame.
        if (run_.followTurn) host_.setClipSettings(Config2Bytes(SettingsAt(run_, asked_)));
        const HYPluginResult result = host_.RenderFrame(renderFrame, dest, frameRect);
        *audioPassed = passed_;
        return result;
    }

  private:
    pluginhost::PluginHost& host_;
    int32_t start_;
    const RunSettingsRec& run_;
    int32_t asked_ = 0;
    bool passed_ = false;
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

// The clip run through the plug-in, frame by frame, into the planned
// output.
StageTimes RenderClip(const Context& context, const RenderRequest& request, RenderPlan& plan) {
    Pipeline pipeline(*plan.clip.in, *plan.out, plan.clip.shape, plan.startFrame, plan.count,
                      plan.audio.get(), plan.copies ? &*plan.copies : nullptr, *plan.progress,
                      *context.interrupt);
    pluginhost::PluginHost host(*plan.clip.plugin, pipeline.frames());
    host.setClipSettings(Config2Bytes(plan.clip.run.settings));
    HYPluginParams described;
    HYPluginResult result = host.GetInfo(static_cast<int32_t>(plan.count), &described);
    if (result != kPluginOK) throw PluginFailure("to describe itself", result);

    pluginhost::ClipSettings clip;
    clip.startFrame = static_cast<int32_t>(plan.startFrame);
    clip.frameCount = static_cast<int32_t>(plan.count);
    clip.fadeInFrames =
        static_cast<int32_t>(request.fadeIn.value_or(described.getInfo2.defaultFadeInFrames));
    clip.fadeOutFrames =
        static_cast<int32_t>(request.fadeOut.value_or(described.getInfo2.defaultFadeOutFrames));
    for (int i = 0; i < kHYFilterSliderCount; ++i)
        clip.sliderValues[i] = described.getInfo2.filterSliders[i].defaultValue;
    clip.proxyOnly = request.proxy;
    result = host.BeginClip(clip);
    if (result != kPluginOK) throw PluginFailure("to begin the clip", result);

    PluginRenderer renderer(host, clip.startFrame, plan.clip.run);
    pipeline.Run(renderer);
    result = host.EndClip();
    if (result != kPluginOK) throw PluginFailure("to end the clip", result);
    return pipeline.times();
}

// The output closed (remade with encoded sound where the plug-in held some
// back after copying began), delivered, and the summary printed.
int FinishRender(const RenderRequest& request, RenderPlan& plan, const StageTimes& times) {
    media::OutputFile& out = *plan.out;
    const media::PictureShape& shape = plan.clip.shape;
    if (plan.audio && plan.audio->copyBroken()) {
        // The other streams are kept, the audio is made again with the held
        // frames silent.
        media::OutputFile remuxed(plan.files.out(), request.replace);
        remuxed.setKeepRotation(shape.keepsRotation());
        out.FinishUnplaced();
        RemuxWithEncodedAudio(out.temporaryPath(), out.audioStreamIndex(), *plan.clip.in,
                              plan.startFrame, plan.audio->verdicts(), remuxed);
        remuxed.Finish();
        plan.audioWords = "encoded (the plug-in held back some frames' audio)";
    } else {
        out.Finish();
    }
    const media::InputFile& in = *plan.clip.in;
    if (in.repairedFrames() > 0)
        plan.progress->Warn(std::to_string(in.repairedFrames()) +
                            " damaged frame(s) were replaced by the frame before them");
    if (request.stats) PrintStats(times);
    plan.files.Deliver();
    const int depth = media::BitsPerChannel(in.video().pixelFormat);
    const std::string depthWords =
        depth > 8 ? "  depth: the effect works at 8 bits per channel; IN's " +
                        std::to_string(depth) + " bits were dithered down to them\n"
                  : "";
    std::fprintf(plan.files.outToStdout() ? stderr : stdout,
                 "%s: %" PRId64
                 " frames, %dx%d at %.3f fps\n  video: %s\n%s  audio: %s\n%s"
                 "  settings: %s (%s)\n",
                 request.out.c_str(), plan.count, shape.format.width, shape.format.height,
                 av_q2d(in.video().frameRate), plan.videoWords.c_str(), depthWords.c_str(),
                 plan.audioWords.c_str(),
                 PicturesSummary(shape, shape.keepsRotation() && out.CanHoldRotation()).c_str(),
                 SettingsSummary(plan.clip.run).c_str(), plan.clip.run.origin.c_str());
    return kExitOk;
}

}  // namespace

int RunRender(const Context& context, const std::vector<std::string>& words) {
    const RenderRequest request = ParseRenderRequest(words);
    RenderPlan plan(context, request);
    const StageTimes times = RenderClip(context, request, plan);
    return FinishRender(request, plan, times);
}

}  // namespace hzfix

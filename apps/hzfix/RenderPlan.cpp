#include "apps/hzfix/RenderPlan.h"

#include <unistd.h>

#include <limits>

#include "apps/hzfix/AutoSettings.h"
#include "apps/media/LibAv.h"

namespace hzfix {

namespace {

constexpr int64_t cInt32Max = std::numeric_limits<int32_t>::max();

}  // namespace

RenderPlan::RenderPlan(const Context& context, const RenderRequest& request)
    : files(request.in, request.out, request.outType) {
    media::CheckVideoEncoding(files.out(), request.encoding);
    clip = OpenClip(context, request.args, files);
    ChooseFrames(request);
    OpenProgress(request);
    out = std::make_unique<media::OutputFile>(files.out(), request.replace);
    out->setKeepRotation(clip.shape.keepsRotation());
    media::VideoEncoding videoEncoding = request.encoding;
    videoEncoding.format = clip.shape.format;
    videoWords = out->AddVideo(videoEncoding);
    PlanAudio(request);
    PlanOtherStreams();
    out->Start();
}

void RenderPlan::ChooseFrames(const RenderRequest& request) {
    media::InputFile& in = *clip.in;
    const int64_t total = in.frameCount();
    const double start = request.startSeconds;
    // Times are judged as seconds first: a frame number made from a time far
    // past the clip would not fit the integers the frames are counted in.
    if (start >= in.FrameSeconds(total) || in.FrameAt(start) >= total)
        throw UsageError("--start " + *request.args.Get("--start") + " is past the end of " +
                         files.in() + " (" + std::to_string(total) + " frames, " +
                         std::to_string(in.FrameSeconds(total)) + " s)");
    const auto& duration = request.durationSeconds;
    if (duration && *duration > in.FrameSeconds(cInt32Max))
        throw UsageError("--duration " + *request.args.Get("--duration") +
                         " is longer than the plug-in can count (" +
                         std::to_string(in.FrameSeconds(cInt32Max)) + " s at " + files.in() +
                         "'s frame rate)");
    startFrame = in.FrameAt(start);
    count = total - startFrame;
    if (duration) count = std::min(count, in.FrameAt(start + *duration) - startFrame);
    if (count <= 0) throw UsageError("--duration is shorter than one frame");
    for (const auto& [option, frames] :
         {std::pair{"--fade-in", request.fadeIn}, std::pair{"--fade-out", request.fadeOut}})
        if (frames && *frames > count)
            throw UsageError(std::string(option) + " " + std::to_string(*frames) +
                             " is longer than the " + std::to_string(count) +
                             " frames rendered (0 to " + std::to_string(count) + ")");
    if (startFrame + count > cInt32Max)
        throw media::InputError(files.in() + " has more frames than the plug-in can count");
    ResolveAutoSettings(&clip.run, in, clip.shape, startFrame, startFrame + count - 1);
}

void RenderPlan::OpenProgress(const RenderRequest& request) {
    if (const auto& path = request.progressPath) {
        if (*path == "-") {
            progressFile.file = stdout;
        } else {
            progressFile.file = std::fopen(path->c_str(), "w");
            if (!progressFile.file)
                throw media::OutputError("cannot write the progress file " + *path);
            progressFile.owned = true;
        }
    }
    const bool line = !request.quiet && isatty(STDERR_FILENO);
    progress = std::make_unique<Progress>(line, progressFile.file, count,
                                          av_q2d(clip.in->video().frameRate));
    clip.in->setWarningSink([this](const std::string& m) { progress->Warn(m); });
}

void RenderPlan::PlanAudio(const RenderRequest& request) {
    media::InputFile& in = *clip.in;
    const AVStream* inAudio = request.proxy ? nullptr : in.audioStream();
    audioWords = request.proxy ? "none (proxy)" : "none (IN has none)";
    if (!inAudio) return;
    const std::string& encoder = request.audioEncoder;
    const bool wholeClip = startFrame == 0 && count == in.frameCount();
    const bool canCopy = wholeClip && out->CanCopy(inAudio->codecpar);
    const std::string codecName = avcodec_get_name(inAudio->codecpar->codec_id);
    if (encoder == "copy" && !canCopy)
        throw media::EncodingError(
            "-c:a copy: " + (wholeClip
                                 ? "this container cannot hold " + codecName + " audio as it is"
                                 : std::string("only a whole clip's audio can be copied")));
    AudioRouter::Mode mode = AudioRouter::Mode::kEncode;
    if (canCopy && (encoder.empty() || encoder == "copy")) {
        out->AddAudioCopy(inAudio);
        mode = AudioRouter::Mode::kCopy;
        audioWords = "copied (" + codecName + ")";
    } else {
        audioWords = "encoded: " + out->AddAudioEncoder(inAudio->codecpar->sample_rate,
                                                        inAudio->codecpar->ch_layout, encoder);
        if (wholeClip && encoder.empty())
            progress->Warn("audio stream " + std::to_string(inAudio->index) + " (" + codecName +
                           ") cannot go into this container as it is; it is " + audioWords);
    }
    audio = std::make_unique<AudioRouter>(in, *out, mode, startFrame, count,
                                          [this](const std::string& m) { progress->Warn(m); });
    in.setAudioSink([this](media::PacketPtr p) { audio->Enqueue(std::move(p)); });
}

void RenderPlan::PlanOtherStreams() {
    const media::InputFile& in = *clip.in;
    // Rendered to its end, the clip keeps what lies past its last picture.
    const double from = in.FrameSeconds(startFrame);
    const double to = startFrame + count == in.frameCount()
                          ? std::numeric_limits<double>::infinity()
                          : in.FrameSeconds(startFrame + count);
    const OtherStreamsRec others = ChooseOtherStreams(in, *out);
    for (const std::string& lost : out->CopyDescription(in, from, to))
        progress->Warn("not kept: " + lost);
    for (const std::string& lost : others.lost) progress->Warn("not kept: " + lost);
    if (!others.kept.empty()) copies.emplace(in, others.kept, from, to, *out);
}

}  // namespace hzfix

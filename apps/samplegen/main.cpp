// samplegen: the clips and pictures the demo and the benchmark are made of,
// drawn and encoded here so the project needs no downloaded media.
//   samplegen scene OUT [--seconds S] [--size WxH] [--fps N] [--tilt DEG]
//   samplegen compare BEFORE AFTER OUT.png [--at FRAME]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
}

#include "apps/hzfix/Cli.h"
#include "apps/media/ArgbConverter.h"
#include "apps/media/Image.h"
#include "apps/media/InputFile.h"
#include "apps/media/OutputFile.h"
#include "apps/samplegen/Scene.h"

namespace {

constexpr int cSampleRate = 48000;
constexpr int cAudioChunk = 1024;
constexpr int kGap = 8;  // pixels between the two pictures of a comparison

using hzfix::UsageError;

const std::vector<hzfix::OptionSpec> cSceneOptions = {
    {"--seconds", "S", "length (default 5)"},
    {"--size", "WxH", "frame size, 16 to 8192 each (default 1280x720)"},
    {"--fps", "N", "frame rate (default 25)"},
    {"--tilt", "DEG", "how far the horizon is tilted clockwise (default 3)"},
};
const std::vector<hzfix::OptionSpec> cCompareOptions = {
    {"--at", "FRAME", "the frame to compare (default 0)", nullptr, hzfix::OptionType::cInteger, 0,
     hzfix::cFrameCountLimit},
};

// A tone under the picture: an A that swells and fades each second, so
// sync and gaps can be heard. Written chunk by chunk up to `until` samples,
// alongside the video so the file is interleaved.
class Tone {
  public:
    Tone() : chunk_(media::NewFrame()) {
        chunk_->format = AV_SAMPLE_FMT_FLTP;
        chunk_->sample_rate = cSampleRate;
        chunk_->nb_samples = cAudioChunk;
        av_channel_layout_default(&chunk_->ch_layout, 2);
        if (av_frame_get_buffer(chunk_.get(), 0) < 0) throw std::bad_alloc();
    }

    void WriteUntil(media::OutputFile& out, int64_t until) {
        for (; written_ < until; written_ += cAudioChunk) {
            for (int i = 0; i < cAudioChunk; ++i) {
                const double t = static_cast<double>(written_ + i) / cSampleRate;
                const double swell = 0.5 - 0.5 * std::cos(2 * M_PI * t);
                const auto s = static_cast<float>(0.25 * swell * std::sin(2 * M_PI * 440 * t));
                reinterpret_cast<float*>(chunk_->data[0])[i] = s;
                reinterpret_cast<float*>(chunk_->data[1])[i] = s;
            }
            out.WriteAudio(chunk_.get(), written_);
        }
    }

  private:
    media::FramePtr chunk_;
    int64_t written_ = 0;
};

int MakeScene(const std::vector<std::string>& words) {
    const hzfix::ParsedArgs args = hzfix::ParseArgs(words, cSceneOptions);
    if (args.positional.size() != 1) throw UsageError("scene takes one OUT");
    const std::string outPath = args.positional[0];
    double seconds = 5, fps = 25, tilt = 3;
    int width = 1280, height = 720;
    if (auto v = args.Get("--seconds")) seconds = hzfix::ParseNumber(*v, "--seconds");
    if (auto v = args.Get("--fps")) fps = hzfix::ParseNumber(*v, "--fps");
    if (auto v = args.Get("--tilt")) tilt = hzfix::ParseNumber(*v, "--tilt");
    if (auto v = args.Get("--size")) {
        const size_t x = v->find('x');
        if (x == std::string::npos) throw UsageError("--size: '" + *v + "' is not WxH");
        width = static_cast<int>(hzfix::ParseInteger(v->substr(0, x), 16, 8192, "--size"));
        height = static_cast<int>(hzfix::ParseInteger(v->substr(x + 1), 16, 8192, "--size"));
    }
    if (seconds <= 0 || fps <= 0) throw UsageError("--seconds and --fps must be positive");

    media::OutputFile out(outPath, true);
    media::VideoEncoding encoding;
    encoding.format.width = width;
    encoding.format.height = height;
    encoding.format.frameRate = av_d2q(fps, 1000);
    encoding.format.sampleAspect = {1, 1};
    encoding.format.range = AVCOL_RANGE_MPEG;
    encoding.format.colorspace = AVCOL_SPC_BT709;
    encoding.format.primaries = AVCOL_PRI_BT709;
    encoding.format.transfer = AVCOL_TRC_BT709;
    out.AddVideo(encoding);
    AVChannelLayout stereo{};
    av_channel_layout_default(&stereo, 2);
    out.AddAudioEncoder(cSampleRate, stereo);
    out.Start();

    samplegen::Scene scene(width, height, tilt);
    const int stride = width * 4;
    std::vector<uint8_t> pixels(static_cast<size_t>(stride) * height);
    const int64_t frames = std::llround(seconds * fps);
    out.setAudioLimit(std::llround(static_cast<double>(frames) / fps * cSampleRate));
    Tone tone;
    for (int64_t f = 0; f < frames; ++f) {
        scene.Draw(static_cast<double>(f) / fps, pixels.data(), stride);
        out.WriteVideo(pixels.data(), stride, f);
        tone.WriteUntil(out, std::llround(static_cast<double>(f + 1) / fps * cSampleRate));
    }
    out.Finish();
    std::printf("%s: %lld frames, %dx%d, %g fps, horizon tilted %g degrees clockwise\n",
                outPath.c_str(), static_cast<long long>(frames), width, height, fps, tilt);
    return 0;
}

// Frame `at` of a clip, at its own size.
std::vector<uint8_t> Picture(const std::string& path, int64_t at, int* width, int* height) {
    media::InputFile in(path);
    if (at >= in.frameCount())
        throw UsageError(path + " has only " + std::to_string(in.frameCount()) + " frames");
    in.SeekTo(at);
    media::FramePtr frame;
    int64_t index = 0;
    if (!in.Next(&frame, &index)) throw media::InputError(path + ": frame not found");
    *width = in.video().width;
    *height = in.video().height;
    std::vector<uint8_t> pixels(static_cast<size_t>(*width) * *height * 4);
    media::ArgbConverter().Convert(frame.get(), pixels.data(), *width * 4, *width, *height, false);
    return pixels;
}

int Compare(const std::vector<std::string>& words) {
    const hzfix::ParsedArgs args = hzfix::ParseArgs(words, cCompareOptions);
    const std::vector<std::string>& paths = args.positional;
    if (paths.size() != 3) throw UsageError("compare needs BEFORE AFTER OUT.png");
    int64_t at = 0;
    if (auto v = args.Integer("--at")) at = *v;
    int w1, h1, w2, h2;
    std::vector<uint8_t> before = Picture(paths[0], at, &w1, &h1);
    std::vector<uint8_t> after = Picture(paths[1], at, &w2, &h2);
    const int width = w1 + kGap + w2, height = std::max(h1, h2);
    std::vector<uint8_t> sheet(static_cast<size_t>(width) * height * 4, 255);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = sheet.data() + static_cast<size_t>(y) * width * 4;
        if (y < h1) std::copy_n(before.data() + static_cast<size_t>(y) * w1 * 4, w1 * 4, row);
        if (y < h2)
            std::copy_n(after.data() + static_cast<size_t>(y) * w2 * 4, w2 * 4,
                        row + (w1 + kGap) * 4);
    }
    media::WriteImage(paths[2], true, sheet.data(), width * 4, width, height);
    std::printf("%s: frame %lld, %s left, %s right\n", paths[2].c_str(), static_cast<long long>(at),
                paths[0].c_str(), paths[1].c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_QUIET);
    std::vector<std::string> words(argv + 1, argv + argc);
    try {
        if (words.empty()) throw UsageError("name a command: scene or compare");
        const std::string command = words.front();
        words.erase(words.begin());
        if (command == "scene") return MakeScene(words);
        if (command == "compare") return Compare(words);
        throw UsageError("unknown command '" + command + "'");
    } catch (const UsageError& e) {
        std::fprintf(stderr,
                     "samplegen: %s\nusage: samplegen scene OUT [options]\n%s"
                     "       samplegen compare BEFORE AFTER OUT.png [options]\n%s",
                     e.what(), hzfix::OptionsHelp(cSceneOptions).c_str(),
                     hzfix::OptionsHelp(cCompareOptions).c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "samplegen: %s\n", e.what());
        return 2;
    }
}

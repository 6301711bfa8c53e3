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

#include "apps/media/ArgbConverter.h"
#include "apps/media/InputFile.h"
#include "apps/media/OutputFile.h"
#include "apps/media/Png.h"
#include "apps/samplegen/Scene.h"

namespace {

constexpr int kSampleRate = 48000;
constexpr int kAudioChunk = 1024;
constexpr int kGap = 8;  // pixels between the two pictures of a comparison

struct Usage : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Value(const std::vector<std::string>& words, size_t* i) {
    if (*i + 1 >= words.size()) throw Usage(words[*i] + " needs a value");
    return words[++*i];
}

double Number(const std::string& text) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || !std::isfinite(v)) throw Usage("'" + text + "' is not a number");
    return v;
}

// A tone under the picture: an A that swells and fades each second, so
// sync and gaps can be heard. Written chunk by chunk up to `until` samples,
// alongside the video so the file is interleaved.
class Tone {
  public:
    Tone() : chunk_(media::NewFrame()) {
        chunk_->format = AV_SAMPLE_FMT_FLTP;
        chunk_->sample_rate = kSampleRate;
        chunk_->nb_samples = kAudioChunk;
        av_channel_layout_default(&chunk_->ch_layout, 2);
        if (av_frame_get_buffer(chunk_.get(), 0) < 0) throw std::bad_alloc();
    }

    void WriteUntil(media::OutputFile& out, int64_t until) {
        for (; written_ < until; written_ += kAudioChunk) {
            for (int i = 0; i < kAudioChunk; ++i) {
                const double t = static_cast<double>(written_ + i) / kSampleRate;
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
    std::string outPath;
    double seconds = 5, fps = 25, tilt = 3;
    int width = 1280, height = 720;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "--seconds")
            seconds = Number(Value(words, &i));
        else if (w == "--fps")
            fps = Number(Value(words, &i));
        else if (w == "--tilt")
            tilt = Number(Value(words, &i));
        else if (w == "--size") {
            const std::string v = Value(words, &i);
            if (std::sscanf(v.c_str(), "%dx%d", &width, &height) != 2 || width < 16 ||
                height < 16 || width > 8192 || height > 8192)
                throw Usage("--size: '" + v + "' is not WxH (16 to 8192 each)");
        } else if (!w.empty() && w[0] == '-')
            throw Usage("unknown option " + w);
        else if (outPath.empty())
            outPath = w;
        else
            throw Usage("scene takes one OUT");
    }
    if (outPath.empty()) throw Usage("scene needs OUT");
    if (seconds <= 0 || fps <= 0) throw Usage("--seconds and --fps must be positive");

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
    out.AddAudioEncoder(kSampleRate, stereo);
    out.Start();

    samplegen::Scene scene(width, height, tilt);
    const int stride = width * 4;
    std::vector<uint8_t> pixels(static_cast<size_t>(stride) * height);
    const int64_t frames = std::llround(seconds * fps);
    out.setAudioLimit(std::llround(static_cast<double>(frames) / fps * kSampleRate));
    Tone tone;
    for (int64_t f = 0; f < frames; ++f) {
        scene.Draw(static_cast<double>(f) / fps, pixels.data(), stride);
        out.WriteVideo(pixels.data(), stride, f);
        tone.WriteUntil(out, std::llround(static_cast<double>(f + 1) / fps * kSampleRate));
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
        throw Usage(path + " has only " + std::to_string(in.frameCount()) + " frames");
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
    std::vector<std::string> paths;
    int64_t at = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "--at")
            at = static_cast<int64_t>(Number(Value(words, &i)));
        else if (!words[i].empty() && words[i][0] == '-')
            throw Usage("unknown option " + words[i]);
        else
            paths.push_back(words[i]);
    }
    if (paths.size() != 3) throw Usage("compare needs BEFORE AFTER OUT.png");
    if (at < 0) throw Usage("--at must not be negative");
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
    media::WritePng(paths[2], true, sheet.data(), width * 4, width, height);
    std::printf("%s: frame %lld, %s left, %s right\n", paths[2].c_str(), static_cast<long long>(at),
                paths[0].c_str(), paths[1].c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_QUIET);
    std::vector<std::string> words(argv + 1, argv + argc);
    try {
        if (words.empty()) throw Usage("name a command: scene or compare");
        const std::string command = words.front();
        words.erase(words.begin());
        if (command == "scene") return MakeScene(words);
        if (command == "compare") return Compare(words);
        throw Usage("unknown command '" + command + "'");
    } catch (const Usage& e) {
        std::fprintf(stderr,
                     "samplegen: %s\nusage: samplegen scene OUT [--seconds S] [--size WxH] "
                     "[--fps N] [--tilt DEG]\n       samplegen compare BEFORE AFTER OUT.png "
                     "[--at FRAME]\n",
                     e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "samplegen: %s\n", e.what());
        return 2;
    }
}

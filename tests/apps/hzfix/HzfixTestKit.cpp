#include "tests/apps/hzfix/HzfixTestKit.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
}

#include "apps/media/ArgbConverter.h"
#include "apps/media/InputFile.h"
#include "apps/media/OutputFile.h"

extern char** environ;

namespace hzfixtest {

namespace {

constexpr int kRate = 48000;

// libav's own chatter would bury the test output.
[[maybe_unused]] const bool kQuietLibav = [] {
    av_log_set_level(AV_LOG_QUIET);
    return true;
}();

std::vector<std::string> Environment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        bool replaced = false;
        for (const auto& x : extra)
            replaced = replaced || entry.substr(0, entry.find('=')) == x.substr(0, x.find('='));
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& words) {
    std::vector<char*> p;
    for (auto& w : words) p.push_back(w.data());
    p.push_back(nullptr);
    return p;
}

}  // namespace

void MakeClip(const std::string& path, const ClipSpec& recipe) {
    media::OutputFile out(path, true);
    media::VideoEncoding encoding;
    encoding.format.width = recipe.width;
    encoding.format.height = recipe.height;
    encoding.format.frameRate = {recipe.fps, 1};
    encoding.format.sampleAspect = {1, 1};
    if (recipe.interlaced) encoding.format.fieldOrder = AV_FIELD_TT;
    // An odd size stays odd only with full-size chroma.
    if ((recipe.width | recipe.height) & 1) encoding.pixelFormat = "yuv444p";
    if (!recipe.pixelFormat.empty()) encoding.pixelFormat = recipe.pixelFormat;
    if (!recipe.frameTimes.empty()) encoding.format.timeBase = {1, 1000};
    encoding.format.range = recipe.range;
    encoding.format.colorspace = recipe.matrix;
    encoding.codec = recipe.videoEncoder;
    if (recipe.hdr10) {
        media::VideoFormat& f = encoding.format;
        f.colorspace = AVCOL_SPC_BT2020_NCL;
        f.primaries = AVCOL_PRI_BT2020;
        f.transfer = AVCOL_TRC_SMPTE2084;
        const int p3[4][2] = {{34000, 16000}, {13250, 34500}, {7500, 3000}, {15635, 16450}};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 2; ++j) f.mastering.display_primaries[i][j] = {p3[i][j], 50000};
        f.mastering.white_point[0] = {p3[3][0], 50000};
        f.mastering.white_point[1] = {p3[3][1], 50000};
        f.mastering.max_luminance = {kHdrMaxLuminance, 1};
        f.mastering.min_luminance = {50, 10000};
        f.mastering.has_primaries = f.mastering.has_luminance = 1;
        f.light = {kHdrMaxCll, kHdrMaxFall};
        f.hasLight = true;
    }
    // The lossless and intra encoders have no rate factor.
    if (recipe.videoEncoder != "ffv1" && recipe.videoEncoder != "prores_ks") encoding.crf = 10;
    out.AddVideo(encoding);
    AVChannelLayout stereo{};
    av_channel_layout_default(&stereo, 2);
    if (recipe.audio) out.AddAudioEncoder(kRate, stereo, recipe.audioEncoder);
    out.Start();

    const int stride = recipe.width * 4;
    std::vector<uint8_t> pixels(static_cast<size_t>(stride) * recipe.height);
    media::FramePtr tone = media::NewFrame();
    tone->format = AV_SAMPLE_FMT_FLTP;
    tone->sample_rate = kRate;
    tone->nb_samples = kRate / recipe.fps;
    av_channel_layout_default(&tone->ch_layout, 2);
    if (av_frame_get_buffer(tone.get(), 0) < 0) throw std::bad_alloc();
    for (int f = 0; f < recipe.frames; ++f) {
        for (int y = 0; y < recipe.height; ++y)
            for (int x = 0; x < recipe.width; ++x) {
                Rgb c = recipe.paint ? recipe.paint(f, x, y) : Rgb{128, 128, 128};
                uint8_t* p = pixels.data() + y * stride + x * 4;
                p[0] = 255;
                p[1] = static_cast<uint8_t>(c.r);
                p[2] = static_cast<uint8_t>(c.g);
                p[3] = static_cast<uint8_t>(c.b);
            }
        out.WriteVideo(pixels.data(), stride,
                       recipe.frameTimes.empty() ? f : std::llround(recipe.frameTimes[f] * 1000));
        if (recipe.audio) {
            for (int i = 0; i < tone->nb_samples; ++i) {
                const double t = static_cast<double>(f * tone->nb_samples + i) / kRate;
                const auto s = static_cast<float>(0.3 * std::sin(2 * M_PI * 330 * t));
                reinterpret_cast<float*>(tone->data[0])[i] = s;
                reinterpret_cast<float*>(tone->data[1])[i] = s;
            }
            out.WriteAudio(tone.get(), static_cast<int64_t>(f) * tone->nb_samples);
        }
    }
    out.Finish();
}

void MakeAudioOnly(const std::string& path) {
    media::OutputFile out(path, true);
    AVChannelLayout mono{};
    av_channel_layout_default(&mono, 1);
    out.AddAudioEncoder(kRate, mono);
    out.Start();
    media::FramePtr chunk = media::NewFrame();
    chunk->format = AV_SAMPLE_FMT_FLTP;
    chunk->sample_rate = kRate;
    chunk->nb_samples = kRate;
    av_channel_layout_default(&chunk->ch_layout, 1);
    if (av_frame_get_buffer(chunk.get(), 0) < 0) throw std::bad_alloc();
    av_samples_set_silence(chunk->data, 0, kRate, 1, AV_SAMPLE_FMT_FLTP);
    out.WriteAudio(chunk.get(), 0);
    out.Finish();
}

std::string BundleDir() {
    const char* dir = std::getenv("HZ_BUNDLE_DIR");
    return dir ? dir : HZFIX_BUNDLE_DIR;
}

Child StartHzfix(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    return StartProgram(HZFIX_PATH, args, env);
}

std::string HzfixPath() { return HZFIX_PATH; }

Child StartProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& env, const std::string& input) {
    static int serial = 0;
    Child child;
    const std::string base =
        "/tmp/hzfix-test-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    child.outFile = base + ".out";
    child.errFile = base + ".err";
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envWords = Environment(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, child.outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, child.errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    auto argp = Pointers(argv);
    auto envp = Pointers(envWords);
    if (posix_spawn(&child.pid, program.c_str(), &actions, nullptr, argp.data(), envp.data()) != 0)
        throw std::runtime_error("cannot start " + program);
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

std::vector<float> DecodeAudio(const std::string& path) {
    AVFormatContext* ctx = nullptr;
    if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) < 0)
        throw std::runtime_error("cannot open " + path);
    media::InputFormatPtr demuxer(ctx);
    avformat_find_stream_info(ctx, nullptr);
    const int index = av_find_best_stream(ctx, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) throw std::runtime_error(path + " has no audio");
    const AVStream* stream = ctx->streams[index];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    media::CodecPtr decoder(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder.get(), stream->codecpar);
    decoder->pkt_timebase = stream->time_base;
    avcodec_open2(decoder.get(), codec, nullptr);
    SwrContext* swr = nullptr;
    AVChannelLayout mono{};
    av_channel_layout_default(&mono, 1);
    swr_alloc_set_opts2(&swr, &mono, AV_SAMPLE_FMT_FLT, kRate, &decoder->ch_layout,
                        decoder->sample_fmt, decoder->sample_rate, 0, nullptr);
    swr_init(swr);
    std::vector<float> samples;
    media::PacketPtr packet = media::NewPacket();
    media::FramePtr frame = media::NewFrame();
    auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            const size_t at = samples.size();
            samples.resize(at + swr_get_out_samples(swr, frame->nb_samples));
            auto* out = reinterpret_cast<uint8_t*>(samples.data() + at);
            int n =
                swr_convert(swr, &out, static_cast<int>(samples.size() - at),
                            const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            samples.resize(at + std::max(n, 0));
        }
    };
    while (av_read_frame(ctx, packet.get()) >= 0) {
        if (packet->stream_index == index) {
            avcodec_send_packet(decoder.get(), packet.get());
            drain();
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    swr_free(&swr);
    return samples;
}

double Rms(const std::vector<float>& samples, size_t begin, size_t end) {
    double sum = 0;
    for (size_t i = begin; i < end && i < samples.size(); ++i) sum += samples[i] * samples[i];
    return end > begin ? std::sqrt(sum / static_cast<double>(end - begin)) : 0;
}

Outcome Finish(const Child& child) {
    int status = 0;
    waitpid(child.pid, &status, 0);
    Outcome run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadFile(child.outFile);
    run.err = ReadFile(child.errFile);
    unlink(child.outFile.c_str());
    unlink(child.errFile.c_str());
    return run;
}

Outcome Hzfix(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    return Finish(StartHzfix(args, env));
}

std::vector<double> PictureTimes(const std::string& path) {
    AVFormatContext* ctx = nullptr;
    if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) < 0)
        throw std::runtime_error("cannot open " + path);
    media::InputFormatPtr demuxer(ctx);
    avformat_find_stream_info(ctx, nullptr);
    const int video = av_find_best_stream(ctx, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    std::vector<double> times;
    media::PacketPtr packet = media::NewPacket();
    while (av_read_frame(ctx, packet.get()) >= 0) {
        if (packet->stream_index == video && packet->pts != AV_NOPTS_VALUE)
            times.push_back(packet->pts * av_q2d(ctx->streams[video]->time_base));
        av_packet_unref(packet.get());
    }
    std::sort(times.begin(), times.end());
    for (double& t : times) t = std::round((t - times.front()) * 1000) / 1000;
    return times;
}

VideoFacts Inspect(const std::string& path) {
    VideoFacts facts;
    media::InputFile in(path);
    facts.width = in.video().width;
    facts.height = in.video().height;
    facts.fps = av_q2d(in.video().frameRate);
    facts.frames = in.frameCount();
    facts.codec = avcodec_get_name(in.videoStream()->codecpar->codec_id);
    facts.pixelFormat = av_get_pix_fmt_name(in.video().pixelFormat);
    const AVStream* audio = in.audioStream();
    if (!audio) return facts;
    facts.hasAudio = true;
    facts.audioRate = audio->codecpar->sample_rate;

    AVFormatContext* ctx = nullptr;
    if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) < 0)
        throw std::runtime_error("cannot reopen " + path);
    media::InputFormatPtr demuxer(ctx);
    avformat_find_stream_info(ctx, nullptr);
    const AVStream* stream = ctx->streams[audio->index];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    media::CodecPtr decoder(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder.get(), stream->codecpar);
    decoder->pkt_timebase = stream->time_base;
    avcodec_open2(decoder.get(), codec, nullptr);
    media::PacketPtr packet = media::NewPacket();
    media::FramePtr frame = media::NewFrame();
    auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            facts.audioSamples += frame->nb_samples;
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(ctx, packet.get()) >= 0) {
        if (packet->stream_index == audio->index) {
            avcodec_send_packet(decoder.get(), packet.get());
            drain();
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    return facts;
}

Rgb Picture::At(int x, int y) const {
    const uint8_t* p = argb.data() + (static_cast<size_t>(y) * width + x) * 4;
    return {p[1], p[2], p[3]};
}

Rgb Picture::Mean(int x, int y, int r) const {
    int sum[3] = {}, n = 0;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            Rgb c = At(x + dx, y + dy);
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
            ++n;
        }
    return {sum[0] / n, sum[1] / n, sum[2] / n};
}

Picture DecodeFrame(const std::string& path, int64_t index) {
    media::InputFile in(path);
    in.SeekTo(index);
    media::FramePtr frame;
    int64_t at = 0;
    if (!in.Next(&frame, &at) || at != index)
        throw std::runtime_error(path + ": no frame " + std::to_string(index));
    Picture picture;
    picture.width = in.video().width;
    picture.height = in.video().height;
    picture.argb.resize(static_cast<size_t>(picture.width) * picture.height * 4);
    media::ArgbConverter().Convert(frame.get(), picture.argb.data(), picture.width * 4,
                                   picture.width, picture.height, false);
    return picture;
}

double Psnr(const std::string& a, const std::string& b) {
    media::InputFile first(a), second(b);
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(first.video().pixelFormat);
    const int depth = d->comp[0].depth;
    const double peak = (1 << depth) - 1;
    double squares = 0;
    int64_t samples = 0;
    media::FramePtr x, y;
    int64_t i = 0, j = 0;
    while (first.Next(&x, &i) && second.Next(&y, &j)) {
        for (int plane = 0; plane < 3; ++plane) {
            const int w = plane ? AV_CEIL_RSHIFT(x->width, d->log2_chroma_w) : x->width;
            const int h = plane ? AV_CEIL_RSHIFT(x->height, d->log2_chroma_h) : x->height;
            for (int row = 0; row < h; ++row)
                for (int col = 0; col < w; ++col) {
                    const auto at = [&](const AVFrame* f) -> double {
                        const uint8_t* line = f->data[plane] + row * f->linesize[plane];
                        return depth > 8 ? reinterpret_cast<const uint16_t*>(line)[col] : line[col];
                    };
                    const double diff = at(x.get()) - at(y.get());
                    squares += diff * diff;
                    ++samples;
                }
        }
    }
    if (samples == 0) throw std::runtime_error("no frames to compare in " + a);
    const double mse = squares / static_cast<double>(samples);
    return mse == 0 ? 100 : 10 * std::log10(peak * peak / mse);
}

std::vector<uint64_t> PlaneHashes(const std::string& path) {
    media::InputFile in(path);
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(in.video().pixelFormat);
    const int bytes = d->comp[0].depth > 8 ? 2 : 1;
    std::vector<uint64_t> hashes;
    media::FramePtr f;
    int64_t at = 0;
    while (in.Next(&f, &at)) {
        uint64_t h = 1469598103934665603ull;
        for (int plane = 0; plane < av_pix_fmt_count_planes(in.video().pixelFormat); ++plane) {
            const int w =
                plane == 1 || plane == 2 ? AV_CEIL_RSHIFT(f->width, d->log2_chroma_w) : f->width;
            const int rows =
                plane == 1 || plane == 2 ? AV_CEIL_RSHIFT(f->height, d->log2_chroma_h) : f->height;
            const int step = (d->flags & AV_PIX_FMT_FLAG_PLANAR) ? bytes : d->comp[0].step;
            for (int row = 0; row < rows; ++row) {
                const uint8_t* line = f->data[plane] + row * f->linesize[plane];
                for (int i = 0; i < w * step; ++i) h = (h ^ line[i]) * 1099511628211ull;
            }
        }
        hashes.push_back(h);
    }
    return hashes;
}

TempDir::TempDir() {
    char pattern[] = "/tmp/hzfix-test-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path_.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

int Distance(Rgb a, Rgb b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

std::function<Rgb(int, int, int)> PaintPicture(std::vector<uint8_t> argb, int width) {
    return [argb = std::move(argb), width](int, int x, int y) {
        const uint8_t* p = argb.data() + (static_cast<size_t>(y) * width + x) * 4;
        return Rgb{p[1], p[2], p[3]};
    };
}

}  // namespace hzfixtest

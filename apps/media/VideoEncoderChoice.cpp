#include "apps/media/VideoEncoderChoice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "apps/media/ColorMatrix.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace media {

namespace {

// What an encoder takes of the options the user may give, and its defaults.
struct EncoderRules {
    const char* name;
    int defaultCrf;             // 0: the encoder has no rate factor
    const char* defaultPreset;  // nullptr: no speed presets
    AVPixelFormat defaultFormat;
    std::vector<std::pair<std::string, std::string>> fixed;
    // Whether other chroma than 4:2:0 plays where this codec is used.
    bool anyChroma = true;
    // Whether it takes halved chroma at odd sizes (the last chroma sample
    // covering one pixel).
    bool oddHalvedChroma = false;
    // A profile to ask for, and the one for pictures with full chroma.
    const char* profile = nullptr;
    AVPixelFormat fullChromaFormat = AV_PIX_FMT_NONE;
    const char* fullChromaProfile = nullptr;
};

const EncoderRules* RulesFor(const std::string& name) {
    static const std::vector<EncoderRules> rules = {
        {"libx264", 18, "veryfast", AV_PIX_FMT_YUV420P, {}},
        {"libx265", 20, "fast", AV_PIX_FMT_YUV420P, {{"x265-params", "log-level=error"}}},
        // Constant quality needs the bit rate left open.
        // Browsers play VP9 in 4:2:0 only, 8 or 10 bits.
        {"libvpx-vp9",
         31,
         nullptr,
         AV_PIX_FMT_YUV420P,
         {{"b", "0"}, {"deadline", "good"}, {"cpu-used", "4"}, {"row-mt", "1"}},
         false,
         true},
        // Editors expect 4:2:2 HQ unless the pictures have full chroma, which
        // only 4444 keeps.
        {"prores_ks",
         0,
         nullptr,
         AV_PIX_FMT_YUV422P10LE,
         {},
         true,
         false,
         "hq",
         AV_PIX_FMT_YUV444P10LE,
         "4444"},
    };
    for (const EncoderRules& r : rules)
        if (name == r.name) return &r;
    return nullptr;
}

// x265 writes HDR10's descriptions into the stream only when told them, in
// its own units: chromaticities in 0.00002, luminance in 0.0001 cd/m2.
void AddHdrParams(const VideoFormat& f, std::vector<std::pair<std::string, std::string>>* options) {
    char more[256] = "";
    size_t used = 0;
    const AVMasteringDisplayMetadata& m = f.mastering;
    auto c = [](AVRational v) { return std::lround(av_q2d(v) * 50000); };
    if (m.has_primaries && m.has_luminance)
        used += std::snprintf(more, sizeof more,
                              ":master-display=G(%ld,%ld)B(%ld,%ld)R(%ld,%ld)WP(%ld,%ld)L(%ld,%ld)",
                              c(m.display_primaries[1][0]), c(m.display_primaries[1][1]),
                              c(m.display_primaries[2][0]), c(m.display_primaries[2][1]),
                              c(m.display_primaries[0][0]), c(m.display_primaries[0][1]),
                              c(m.white_point[0]), c(m.white_point[1]),
                              std::lround(av_q2d(m.max_luminance) * 10000),
                              std::lround(av_q2d(m.min_luminance) * 10000));
    if (f.hasLight && used < sizeof more)
        used += std::snprintf(more + used, sizeof more - used, ":max-cll=%u,%u", f.light.MaxCLL,
                              f.light.MaxFALL);
    if (used == 0) return;
    for (auto& [key, value] : *options)
        if (key == "x265-params") value.append(more);
}

const char* const kPresets[] = {"ultrafast", "superfast", "veryfast", "faster",   "fast",
                                "medium",    "slow",      "slower",   "veryslow", "placebo"};

bool Takes(const AVCodec* codec, AVPixelFormat format) {
    if (!codec->pix_fmts) return true;
    for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == format) return true;
    return false;
}

std::string FormatsOf(const AVCodec* codec) {
    std::string list;
    for (const AVPixelFormat* f = codec->pix_fmts; f && *f != AV_PIX_FMT_NONE; ++f)
        list += std::string(list.empty() ? "" : ", ") + av_get_pix_fmt_name(*f);
    return list;
}

bool HalvesAnOddSide(AVPixelFormat format, int width, int height) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    return d && ((d->log2_chroma_w && width % 2) || (d->log2_chroma_h && height % 2));
}

// The encoder's nearest format to `format` with chroma at full size; NONE
// when it has none.
AVPixelFormat FullChromaFormOf(const AVCodec* codec, AVPixelFormat format) {
    std::vector<AVPixelFormat> full;
    for (const AVPixelFormat* f = codec->pix_fmts; f && *f != AV_PIX_FMT_NONE; ++f) {
        const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(*f);
        if (d && !(d->flags & AV_PIX_FMT_FLAG_RGB) && d->nb_components >= 3 && !d->log2_chroma_w &&
            !d->log2_chroma_h)
            full.push_back(*f);
    }
    if (full.empty()) return AV_PIX_FMT_NONE;
    full.push_back(AV_PIX_FMT_NONE);
    return avcodec_find_best_pix_fmt_of_list(full.data(), format, 0, nullptr);
}

const AVCodec* EncoderFor(const AVOutputFormat* container, const std::string& asked) {
    if (!asked.empty()) {
        const AVCodec* codec = avcodec_find_encoder_by_name(asked.c_str());
        if (!codec || codec->type != AVMEDIA_TYPE_VIDEO)
            throw EncodingError("there is no video encoder called '" + asked + "' here");
        if (avformat_query_codec(container, codec->id, FF_COMPLIANCE_NORMAL) == 0)
            throw EncodingError(std::string(container->name) + " files cannot hold " +
                                avcodec_get_name(codec->id) + " video (" + asked + ")");
        return codec;
    }
    // Not every muxer lists what it takes (MPEG-TS does not), so the
    // containers made for H.264 are named.
    const std::string name = container->name;
    const char* usual = name.find("webm") != std::string::npos ? "libvpx-vp9" : nullptr;
    if (!usual && (name == "mpegts" ||
                   avformat_query_codec(container, AV_CODEC_ID_H264, FF_COMPLIANCE_NORMAL) == 1))
        usual = "libx264";
    if (usual)
        if (const AVCodec* codec = avcodec_find_encoder_by_name(usual)) return codec;
    const AVCodec* codec = avcodec_find_encoder(container->video_codec);
    if (!codec) throw OutputError("no video encoder for " + name + " files");
    return codec;
}

}  // namespace

VideoEncoderChoice ChooseVideoEncoder(const AVOutputFormat* container,
                                      const VideoEncoding& encoding) {
    VideoEncoderChoice choice;
    choice.codec = EncoderFor(container, encoding.codec);
    const std::string name = choice.codec->name;
    const EncoderRules* rules = RulesFor(name);

    if (!encoding.pixelFormat.empty()) {
        choice.pixelFormat = av_get_pix_fmt(encoding.pixelFormat.c_str());
        if (choice.pixelFormat == AV_PIX_FMT_NONE)
            throw EncodingError("--pix-fmt: there is no pixel format '" + encoding.pixelFormat +
                                "'");
        if (!Takes(choice.codec, choice.pixelFormat))
            throw EncodingError(name + " cannot take " + encoding.pixelFormat + "; it takes " +
                                FormatsOf(choice.codec));
    } else {
        AVPixelFormat input = PlainFormat(encoding.format.pixelFormat);
        const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(input);
        const bool yuv = d && !(d->flags & AV_PIX_FMT_FLAG_RGB) && d->nb_components >= 3;
        if (yuv && rules && !rules->anyChroma)
            input = d->comp[0].depth > 8 ? AV_PIX_FMT_YUV420P10LE : AV_PIX_FMT_YUV420P;
        const bool fullChroma = yuv && !d->log2_chroma_w && !d->log2_chroma_h;
        if (yuv && Takes(choice.codec, input))
            choice.pixelFormat = input;
        else if (fullChroma && rules && rules->fullChromaFormat != AV_PIX_FMT_NONE)
            choice.pixelFormat = rules->fullChromaFormat;
        else if (rules && Takes(choice.codec, rules->defaultFormat))
            choice.pixelFormat = rules->defaultFormat;
        else
            choice.pixelFormat = choice.codec->pix_fmts
                                     ? avcodec_find_best_pix_fmt_of_list(
                                           choice.codec->pix_fmts, AV_PIX_FMT_ARGB, 0, nullptr)
                                     : AV_PIX_FMT_YUV420P;
        // Halved chroma would need an odd size padded; full chroma keeps
        // the picture exactly as it is.
        if (!(rules && rules->oddHalvedChroma) &&
            HalvesAnOddSide(choice.pixelFormat, encoding.format.width, encoding.format.height))
            if (const AVPixelFormat full = FullChromaFormOf(choice.codec, choice.pixelFormat);
                full != AV_PIX_FMT_NONE)
                choice.pixelFormat = full;
    }

    if (encoding.crf && (!rules || !rules->defaultCrf))
        throw EncodingError(name + " has no rate factor: leave out --crf");
    if (!encoding.preset.empty() && (!rules || !rules->defaultPreset))
        throw EncodingError(name + " has no speed presets: leave out --preset");
    if (!encoding.preset.empty() &&
        std::find(std::begin(kPresets), std::end(kPresets), encoding.preset) == std::end(kPresets))
        throw EncodingError("--preset: '" + encoding.preset +
                            "' is not one of ultrafast, superfast, veryfast, faster, fast, "
                            "medium, slow, slower, veryslow, placebo");

    choice.words = std::string(choice.codec->long_name ? choice.codec->long_name : name) + " (" +
                   name + "), " + av_get_pix_fmt_name(choice.pixelFormat);
    if (rules) {
        choice.options = rules->fixed;
        if (name == "libx265") AddHdrParams(encoding.format, &choice.options);
        if (rules->profile) {
            const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(choice.pixelFormat);
            const bool full = d && !d->log2_chroma_w && !d->log2_chroma_h;
            const char* profile =
                full && rules->fullChromaProfile ? rules->fullChromaProfile : rules->profile;
            choice.options.push_back({"profile", profile});
            choice.words += std::string(", profile ") + profile;
        }
        if (rules->defaultCrf) {
            const int crf = encoding.crf.value_or(rules->defaultCrf);
            choice.options.push_back({"crf", std::to_string(crf)});
            choice.words += ", CRF " + std::to_string(crf);
        }
        if (rules->defaultPreset) {
            const std::string preset =
                encoding.preset.empty() ? rules->defaultPreset : encoding.preset;
            choice.options.push_back({"preset", preset});
            choice.words += ", preset " + preset;
        }
    }

    const int width = encoding.format.width, height = encoding.format.height;
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(choice.pixelFormat);
    const bool exact = rules && rules->oddHalvedChroma;
    const int wStep = d && !exact ? 1 << d->log2_chroma_w : 1;
    const int hStep = d && !exact ? 1 << d->log2_chroma_h : 1;
    choice.codedWidth = (width + wStep - 1) / wStep * wStep;
    choice.codedHeight = (height + hStep - 1) / hStep * hStep;
    if (choice.codedWidth != width || choice.codedHeight != height)
        choice.words += "; " + std::to_string(width) + "x" + std::to_string(height) +
                        " does not divide into its chroma, so it is padded to " +
                        std::to_string(choice.codedWidth) + "x" +
                        std::to_string(choice.codedHeight) +
                        " by repeating the last column or row (--pix-fmt yuv444p keeps it exact)";
    return choice;
}

void CheckVideoEncoding(const std::string& path, const VideoEncoding& encoding) {
    const AVOutputFormat* container = av_guess_format(nullptr, path.c_str(), nullptr);
    if (!container) return;
    VideoEncoding trial = encoding;
    trial.format.width = trial.format.height = 16;
    ChooseVideoEncoder(container, trial);
}

}  // namespace media

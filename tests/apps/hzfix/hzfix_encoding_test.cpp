// Which encoder and pixel format a render writes: a sane one for each
// container, the input's depth and chroma kept, and what the user asks for
// where the encoder and container can take it, a usage error where not.
#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mastering_display_metadata.h>
}

#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

class HzfixEncoding : public ::testing::Test, protected HzfixSandbox {};

// What a file says of its video stream beyond its pictures.
struct StreamTags {
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;
    int profile = 0;
    uint32_t tag = 0;
    double maxLuminance = 0;  // 0: no mastering display
    int maxCll = 0, maxFall = 0;
};

StreamTags TagsOf(const std::string& path) {
    AVFormatContext* c = nullptr;
    StreamTags t;
    if (avformat_open_input(&c, path.c_str(), nullptr, nullptr) < 0) return t;
    avformat_find_stream_info(c, nullptr);
    const int i = av_find_best_stream(c, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (i >= 0) {
        const AVStream* s = c->streams[i];
        t.primaries = s->codecpar->color_primaries;
        t.transfer = s->codecpar->color_trc;
        t.matrix = s->codecpar->color_space;
        t.profile = s->codecpar->profile;
        t.tag = s->codecpar->codec_tag;
        size_t size = 0;
        if (const auto* m = reinterpret_cast<const AVMasteringDisplayMetadata*>(
                av_stream_get_side_data(s, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, &size)))
            t.maxLuminance = av_q2d(m->max_luminance);
        if (const auto* l = reinterpret_cast<const AVContentLightMetadata*>(
                av_stream_get_side_data(s, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, &size))) {
            t.maxCll = static_cast<int>(l->MaxCLL);
            t.maxFall = static_cast<int>(l->MaxFALL);
        }
    }
    avformat_close_input(&c);
    return t;
}

// ProRes is 4:2:2 HQ unless the pictures have full chroma, and keeps the
// colour description QuickTime files hold only whole.
TEST_F(HzfixEncoding, ProResIsHqOr4444AsTheChromaAsksAndKeepsTheColours) {
    struct Case {
        const char* source;
        const char* pixelFormat;
        int profile;
    } cases[] = {{"yuv420p", "yuv422p10le", 3}, {"yuv444p", "yuv444p12le", 4}};  // as decoded
    for (const Case& c : cases) {
        ClipSpec recipe;
        recipe.frames = 5;
        recipe.pixelFormat = c.source;
        MakeClip(dir / "in.mkv", recipe);
        Outcome r =
            Do({"render", dir / "in.mkv", dir / "out.mov", "-q", "-y", "-c:v", "prores_ks"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Inspect(dir / "out.mov").pixelFormat, c.pixelFormat) << c.source;
        const StreamTags t = TagsOf(dir / "out.mov");
        EXPECT_EQ(t.profile, c.profile) << c.source;
        EXPECT_EQ(t.matrix, AVCOL_SPC_BT709) << c.source;
        EXPECT_EQ(t.primaries, AVCOL_PRI_BT709) << c.source;
        EXPECT_EQ(t.transfer, AVCOL_TRC_BT709) << c.source;
    }
}

// HDR10's descriptions come along into every container and, for x265, into
// the stream itself; HEVC in MP4 carries the tag players look for.
TEST_F(HzfixEncoding, Hdr10DescriptionsAreCarriedOver) {
    ClipSpec recipe;
    recipe.frames = 5;
    recipe.pixelFormat = "yuv420p10le";
    recipe.videoEncoder = "libx265";
    recipe.hdr10 = true;
    MakeClip(dir / "in.mkv", recipe);
    ASSERT_DOUBLE_EQ(TagsOf(dir / "in.mkv").maxLuminance, kHdrMaxLuminance);
    for (const char* out : {"out.mp4", "out.mkv", "x265.mp4"}) {
        std::vector<std::string> args = {"render", dir / "in.mkv", dir / out, "-q"};
        if (std::string(out) == "x265.mp4") args.insert(args.end(), {"-c:v", "libx265"});
        Outcome r = Do(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const StreamTags t = TagsOf(dir / out);
        EXPECT_EQ(t.transfer, AVCOL_TRC_SMPTE2084) << out;
        EXPECT_EQ(t.primaries, AVCOL_PRI_BT2020) << out;
        EXPECT_DOUBLE_EQ(t.maxLuminance, kHdrMaxLuminance) << out;
        EXPECT_EQ(t.maxCll, kHdrMaxCll) << out;
        EXPECT_EQ(t.maxFall, kHdrMaxFall) << out;
        if (std::string(out) == "x265.mp4") {
            EXPECT_EQ(t.tag, MKTAG('h', 'v', 'c', '1'));
        }
    }
}

TEST_F(HzfixEncoding, EachContainerGetsItsUsualCodecAndTheInputsDepthIsKept) {
    ClipSpec recipe;
    recipe.frames = 10;
    recipe.pixelFormat = "yuv422p10le";
    MakeClip(dir / "in.mkv", recipe);
    ASSERT_EQ(Inspect(dir / "in.mkv").pixelFormat, "yuv422p10le");

    struct Case {
        const char* out;
        const char* codec;
        const char* pixelFormat;
    } cases[] = {
        {"out.mp4", "h264", "yuv422p10le"},
        {"out.ts", "h264", "yuv422p10le"},
        {"out.webm", "vp9", "yuv420p10le"},  // browsers play VP9 in 4:2:0 only
    };
    for (const Case& c : cases) {
        Outcome r = Do({"render", dir / "in.mkv", dir / c.out, "-q"});
        ASSERT_EQ(r.status, 0) << c.out << ": " << r.err;
        const VideoFacts facts = Inspect(dir / c.out);
        EXPECT_EQ(facts.codec, c.codec) << c.out;
        EXPECT_EQ(facts.pixelFormat, c.pixelFormat) << c.out;
        EXPECT_EQ(facts.frames, 10) << c.out;
    }
}

TEST_F(HzfixEncoding, ChosenEncodersAreUsedAndImpossibleChoicesAreUsageErrors) {
    ClipSpec recipe;
    recipe.frames = 5;
    MakeClip(dir / "in.mp4", recipe);
    Outcome r = Do({"render", dir / "in.mp4", dir / "lossless.mkv", "-c:v", "ffv1", "-q"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Inspect(dir / "lossless.mkv").codec, "ffv1");
    r = Do({"render", dir / "in.mp4", dir / "master.mov", "--codec", "prores_ks", "--pix-fmt",
            "yuv422p10le", "-q"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Inspect(dir / "master.mov").codec, "prores");
    EXPECT_EQ(Inspect(dir / "master.mov").pixelFormat, "yuv422p10le");

    struct Refusal {
        std::vector<std::string> options;
        const char* out;
        const char* says;
    } refusals[] = {
        {{"-c:v", "ffv1"}, "x.mp4", "mp4 files cannot hold ffv1"},
        {{"-c:v", "nosuchcodec"}, "x.mkv", "no video encoder called 'nosuchcodec'"},
        {{"-c:v", "prores_ks", "--crf", "20"}, "x.mov", "prores_ks has no rate factor"},
        {{"--pix-fmt", "rgb48be"}, "x.mp4", "libx264 cannot take rgb48be"},
        {{"--preset", "quick"}, "x.mp4", "--preset: 'quick'"},
    };
    for (const Refusal& f : refusals) {
        std::vector<std::string> args = {"render", dir / "in.mp4", dir / f.out};
        args.insert(args.end(), f.options.begin(), f.options.end());
        r = Do(args);
        EXPECT_EQ(r.status, 1) << f.says << ": " << r.err;
        EXPECT_NE(r.err.find(f.says), std::string::npos) << r.err;
        EXPECT_FALSE(Exists(dir / f.out));
    }
}

// Sound is copied where it can be and re-encoded with a warning where not;
// -c:a copy insists on the copy, -c:a ENCODER asks for another.
TEST_F(HzfixEncoding, SoundIsCopiedWhereItCanBeOrEncodedAsAsked) {
    ClipSpec recipe;
    recipe.frames = 10;
    recipe.audioEncoder = "flac";
    MakeClip(dir / "in.mkv", recipe);
    Outcome r = Do({"render", dir / "in.mkv", dir / "same.mkv", "-c:a", "copy"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("audio: copied (flac)"), std::string::npos) << r.out;

    r = Do({"render", dir / "in.mkv", dir / "aac.mp4"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("audio stream 1 (flac) cannot go into this container as it is"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(Inspect(dir / "aac.mp4").hasAudio);

    r = Do({"render", dir / "in.mkv", dir / "copy.mp4", "-c:a", "copy"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot hold flac audio as it is"), std::string::npos) << r.err;
    r = Do({"render", dir / "in.mkv", dir / "opus.mkv", "-c:a", "libopus"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("audio: encoded: libopus"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace hzfixtest

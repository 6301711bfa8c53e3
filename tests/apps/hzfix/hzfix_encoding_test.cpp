// Which encoder and pixel format a render writes: a sane one for each
// container, the input's depth and chroma kept, and what the user asks for
// where the encoder and container can take it, a usage error where not.
#include <gtest/gtest.h>

#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

class HzfixEncoding : public ::testing::Test, protected HzfixSandbox {};

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

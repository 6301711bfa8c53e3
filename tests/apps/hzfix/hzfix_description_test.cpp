// What describes a clip survives a render: its title, chapters (cut to the
// part rendered), stream languages and the display rotation, or a warning
// names what the output container cannot hold.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/codec_par.h>
}

#include "tests/apps/hzfix/ClipDescription.h"
#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

class HzfixDescription : public ::testing::Test, protected HzfixSandbox {
  protected:
    // 40 frames at 25 fps: 1.6 s, with sound.
    std::string DescribedClip() const {
        MakeClip(dir / "plain.mp4", ClipSpec{});
        ClipDescription d;
        d.title = "Sea trip";
        d.chapters = {{0, 0.8, "Open water"}, {0.8, 1.6, "Harbour"}};
        d.videoLanguage = "eng";
        d.audioLanguage = "fra";
        d.rotation = 90;
        Describe(dir / "plain.mp4", dir / "in.mp4", d);
        return dir / "in.mp4";
    }
};

// The rotation is applied to the pictures by default (hzfix_pictures_test);
// kept as it was stored, it is carried over where the container holds it.
TEST_F(HzfixDescription, TitleChaptersLanguagesAndRotationAreKept) {
    const std::string in = DescribedClip();
    Outcome r = Do({"render", in, dir / "out.mp4", "-q", "--keep-rotation"});
    ASSERT_EQ(r.status, 0) << r.err;
    const ClipDescription got = ReadDescription(dir / "out.mp4");
    EXPECT_EQ(got.title, "Sea trip");
    EXPECT_EQ(got.chapters, ReadDescription(in).chapters);
    EXPECT_EQ(got.videoLanguage, "eng");
    EXPECT_EQ(got.audioLanguage, "fra");
    EXPECT_NE(got.rotation, 0);
    EXPECT_EQ(got.rotation, ReadDescription(in).rotation);
    EXPECT_TRUE(r.err.empty()) << r.err;

    r = Do({"render", in, dir / "upright.mp4", "-q"});
    ASSERT_EQ(r.status, 0) << r.err;
    const ClipDescription upright = ReadDescription(dir / "upright.mp4");
    EXPECT_EQ(upright.title, "Sea trip");
    EXPECT_EQ(upright.rotation, 0);
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST_F(HzfixDescription, APartKeepsItsChaptersAndAWarningNamesWhatTheContainerCannotHold) {
    const std::string in = DescribedClip();
    Outcome r = Do({"render", in, dir / "part.mkv", "-q", "--start", "0.4", "--duration", "0.8",
                    "--keep-rotation"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("not kept: video stream 0: its display rotation"), std::string::npos)
        << r.err;
    const ClipDescription got = ReadDescription(dir / "part.mkv");
    EXPECT_EQ(got.title, "Sea trip");
    ASSERT_EQ(got.chapters.size(), 2u);
    EXPECT_EQ(got.chapters[0], (ChapterFacts{0, 0.4, "Open water"}));
    EXPECT_EQ(got.chapters[1], (ChapterFacts{0.4, 0.8, "Harbour"}));
    EXPECT_EQ(got.rotation, 0);
}

// A second sound track and subtitles come along, cut to the part rendered
// and kept in time with it; where the container cannot hold subtitles, a
// warning names the stream before the render.
TEST_F(HzfixDescription, OtherStreamsAreCopiedInTimeOrNamedInAWarning) {
    MakeClip(dir / "plain.mkv", ClipSpec{});
    ClipDescription d;
    d.secondAudioLanguage = "deu";
    d.subtitles = {{0.2, "Hello sea"}, {1.2, "Bye"}};
    Describe(dir / "plain.mkv", dir / "in.mkv", d);
    ASSERT_EQ(ReadDescription(dir / "in.mkv").streamKinds,
              (std::vector<std::string>{"video", "audio", "audio", "subtitle"}));

    Outcome r = Do({"render", dir / "in.mkv", dir / "out.mkv", "-q"});
    ASSERT_EQ(r.status, 0) << r.err;
    ClipDescription got = ReadDescription(dir / "out.mkv");
    EXPECT_EQ(got.streamKinds, (std::vector<std::string>{"video", "audio", "audio", "subtitle"}));
    EXPECT_EQ(got.secondAudioLanguage, "deu");
    EXPECT_EQ(got.subtitles, ReadDescription(dir / "in.mkv").subtitles);
    EXPECT_EQ(Inspect(dir / "out.mkv").frames, 40);

    r = Do({"render", dir / "in.mkv", dir / "part.mkv", "-q", "--start", "0.8"});
    ASSERT_EQ(r.status, 0) << r.err;
    got = ReadDescription(dir / "part.mkv");
    ASSERT_EQ(got.subtitles.size(), 1u);
    // 0.8 s in, the second cue is 0.4 s after the first picture, as it was
    // 0.4 s after the picture now first.
    EXPECT_EQ(got.subtitles[0].start, ReadDescription(dir / "in.mkv").subtitles[1].start - 0.8);
    EXPECT_EQ(got.subtitles[0].text, "Bye");

    r = Do({"render", dir / "in.mkv", dir / "out.mp4", "-q"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("not kept: subtitle stream 3 (subrip)"), std::string::npos) << r.err;
    EXPECT_EQ(ReadDescription(dir / "out.mp4").streamKinds,
              (std::vector<std::string>{"video", "audio", "audio"}));
}

// Pictures that come at varying intervals keep their times, so the clip
// keeps its length and stays in step with its sound.
TEST_F(HzfixDescription, AVariableRateClipKeepsEveryPicturesTime) {
    ClipSpec recipe;
    recipe.audio = false;
    for (int f = 0; f < 30; ++f)
        recipe.frameTimes.push_back(f < 10 ? f * 0.04 : 0.4 + (f - 10) * 0.1);
    recipe.frames = 30;
    MakeClip(dir / "vfr.mkv", recipe);
    const std::vector<double> input = PictureTimes(dir / "vfr.mkv");
    ASSERT_EQ(input.size(), 30u);
    ASSERT_DOUBLE_EQ(input.back(), 2.3);

    for (const char* out : {"out.mp4", "out.mkv"}) {
        Outcome r = Do({"render", dir / "vfr.mkv", dir / out, "-q"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(PictureTimes(dir / out), input) << out;
        EXPECT_EQ(r.err.find("missing"), std::string::npos) << r.err;
    }
    // A part starts at its first picture and keeps the times after it.
    Outcome r = Do({"render", dir / "vfr.mkv", dir / "part.mkv", "-q", "--start", "0.4"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<double> part = PictureTimes(dir / "part.mkv");
    ASSERT_EQ(part.size(), 20u);
    EXPECT_DOUBLE_EQ(part[1], 0.1);
    EXPECT_DOUBLE_EQ(part.back(), 1.9);
}

TEST_F(HzfixDescription, InterlacedPicturesStayInterlacedInTheirFieldOrder) {
    ClipSpec recipe;
    recipe.interlaced = true;
    recipe.width = 176;
    recipe.height = 144;
    MakeClip(dir / "in.mkv", recipe);
    ASSERT_EQ(ReadDescription(dir / "in.mkv").fieldOrder, AV_FIELD_TT);
    Outcome r = Do({"render", dir / "in.mkv", dir / "out.mkv", "-q"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadDescription(dir / "out.mkv").fieldOrder, AV_FIELD_TT);
}

}  // namespace
}  // namespace hzfixtest

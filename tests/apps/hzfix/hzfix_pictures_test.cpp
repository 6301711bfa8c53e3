// The pictures as the effect is given them: an interlaced clip field by
// field, so its two fields never blend; a phone clip turned as players show
// it, so every setting means what the user sees.
#include <gtest/gtest.h>

#include <cstdlib>

#include "apps/media/InputFile.h"
#include "tests/apps/hzfix/ClipDescription.h"
#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kRed{230, 30, 30};
constexpr int kTolerance = 24;

class HzfixPictures : public ::testing::Test, protected HzfixSandbox {};

// A small top-field-first clip of PAL's shape, without sound.
ClipSpec InterlacedPal() {
    ClipSpec recipe;
    recipe.width = 176;
    recipe.height = 144;
    recipe.frames = 5;
    recipe.audio = false;
    recipe.interlaced = true;
    return recipe;
}

// Colour too is the field's own: in an interlaced 4:2:0 picture each chroma
// row belongs to one field, and must carry that field's colour alone.
TEST_F(HzfixPictures, EachFieldKeepsItsOwnColour) {
    constexpr Rgb kBlue{30, 30, 230};
    ClipSpec recipe = InterlacedPal();
    recipe.paint = [&](int, int, int y) { return y & 1 ? kBlue : kRed; };
    MakeClip(dir / "in.mkv", recipe);
    Outcome r = Do({"render", dir / "in.mkv", dir / "out.mkv", "-q", "--turn", "7"});
    ASSERT_EQ(r.status, 0) << r.err;
    media::InputFile out(dir / "out.mkv");
    ASSERT_EQ(out.video().pixelFormat, AV_PIX_FMT_YUV420P);
    media::FramePtr frame;
    int64_t index = 0;
    ASSERT_TRUE(out.Next(&frame, &index));
    for (int row = 30; row < 42; ++row) {
        const int cb = frame->data[1][row * frame->linesize[1] + 44];
        const int cr = frame->data[2][row * frame->linesize[2] + 44];
        // Red has the high Cr, blue the high Cb; mixed, both sit near 165.
        EXPECT_GT(row & 1 ? cb : cr, 200) << "chroma row " << row;
        EXPECT_LT(row & 1 ? cr : cb, 135) << "chroma row " << row;
    }
}

// Mean distance, over the middle of a picture, of its rows of one parity
// from the same rows of another picture.
double RowsApart(const Picture& a, const Picture& b, int parity) {
    double sum = 0;
    int n = 0;
    for (int y = a.height / 4 + parity; y < a.height * 3 / 4; y += 2)
        for (int x = a.width / 4; x < a.width * 3 / 4; ++x, ++n)
            sum += Distance(a.At(x, y), b.At(x, y));
    return sum / n;
}

// Two pictures in one frame: the top field white with a black square, the
// bottom field the same inverted. Each field, drawn on its own, must come
// out as that field's picture would as a whole progressive frame.
TEST_F(HzfixPictures, EachFieldOfAnInterlacedClipIsDrawnFromItselfAlone) {
    auto scene = [](int field) {
        return [field](int, int x, int y) {
            const bool square = x >= 56 && x < 120 && y >= 40 && y < 104;
            return square == (field == 0) ? kBlack : kWhite;
        };
    };
    ClipSpec recipe = InterlacedPal();
    recipe.paint = [&](int f, int x, int y) { return scene(y & 1)(f, x, y); };
    MakeClip(dir / "in.mkv", recipe);
    recipe.interlaced = false;
    for (int field : {0, 1}) {
        recipe.paint = scene(field);
        MakeClip(dir / ("field" + std::to_string(field) + ".mkv"), recipe);
    }

    struct Case {
        std::vector<std::string> settings;
    };
    const Case cases[] = {
        {{"--turn", "7"}},
        {{"--scale", "10"}},
        {{"--move-y", "1"}},  // 1.76 lines: an odd distance would swap the fields
        {{"--turn", "-5", "--scale", "6", "--move-x", "3"}},
    };
    for (const Case& c : cases) {
        std::string words;
        for (const auto& w : c.settings) words += w + " ";
        SCOPED_TRACE(words);
        std::vector<std::string> args = {"render", dir / "in.mkv", dir / "out.mkv", "-q", "-y"};
        args.insert(args.end(), c.settings.begin(), c.settings.end());
        Outcome r = Do(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("interlaced, top field first: each field drawn from itself alone"),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(media::InputFile(dir / "out.mkv").video().fieldOrder, AV_FIELD_TT);
        const Picture got = DecodeFrame(dir / "out.mkv", 2);
        for (int field : {0, 1}) {
            const std::string alone = dir / ("alone" + std::to_string(field) + ".mkv");
            std::vector<std::string> plain = {
                "render", dir / ("field" + std::to_string(field) + ".mkv"), alone, "-q", "-y"};
            plain.insert(plain.end(), c.settings.begin(), c.settings.end());
            ASSERT_EQ(Do(plain).status, 0);
            EXPECT_LT(RowsApart(got, DecodeFrame(alone, 2), field), 12) << "field " << field;
        }
    }

    // One picture alone shows the same, field by field.
    for (const char* command : {"preview", "thumbnail"}) {
        SCOPED_TRACE(command);
        const std::string png = dir / (std::string(command) + ".png");
        Outcome r = Do({command, dir / "in.mkv", png, "--turn", "7", "--at", "0.08"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("each field drawn from itself alone"), std::string::npos) << r.out;
        ASSERT_EQ(Do({"render", dir / "field0.mkv", dir / "alone0.mkv", "-q", "-y", "--turn", "7"})
                      .status,
                  0);
        EXPECT_LT(RowsApart(DecodeFrame(png, 0), DecodeFrame(dir / "alone0.mkv", 2), 0), 12);
    }
}

// A phone held upright films a landscape picture and tags it to be turned
// 90° clockwise. Stored, its top left corner is red; shown, that corner is
// the top right one.
class HzfixTurnedClip : public HzfixPictures {
  protected:
    void SetUp() override {
        ClipSpec recipe;
        recipe.width = 160;
        recipe.height = 96;
        recipe.frames = 5;
        recipe.audio = false;
        recipe.paint = [](int, int x, int y) { return x < 32 && y < 24 ? kRed : kGrey; };
        MakeClip(dir / "stored.mp4", recipe);
        ClipDescription d;
        d.rotation = 90;  // written clockwise, read back counter-clockwise
        Describe(dir / "stored.mp4", in, d);
    }
    const std::string in = dir / "in.mp4";
};

TEST_F(HzfixTurnedClip, IsWorkedOnAndWrittenUprightAsPlayersShowIt) {
    struct Case {
        std::vector<std::string> command;
        std::string out;
    };
    const Case cases[] = {
        {{"render", in, dir / "out.mp4", "-q"}, dir / "out.mp4"},
        {{"render", in, dir / "out.mkv", "-q"}, dir / "out.mkv"},
        {{"preview", in, dir / "preview.png", "--at", "0"}, dir / "preview.png"},
        {{"thumbnail", in, dir / "thumb.png", "--at", "0"}, dir / "thumb.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        Outcome r = Do(c.command);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err.find("not kept"), std::string::npos) << r.err;
        EXPECT_NE(r.out.find("96x160"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("turned 90° clockwise as players show them"), std::string::npos)
            << r.out;
        const Picture p = DecodeFrame(c.out, 0);
        ASSERT_EQ(p.width, 96);
        ASSERT_EQ(p.height, 160);
        EXPECT_LE(Distance(p.Mean(86, 14, 4), kRed), kTolerance);
        EXPECT_LE(Distance(p.Mean(10, 14, 4), kGrey), kTolerance);
        EXPECT_LE(Distance(p.Mean(86, 146, 4), kGrey), kTolerance);
        if (c.out.find(".png") == std::string::npos) {
            EXPECT_EQ(ReadDescription(c.out).rotation, 0);
        }
    }

    // Right is right as the user sees it: the left edge is uncovered.
    Outcome r = Do({"render", in, dir / "moved.mp4", "-q", "--move-x", "20"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Picture moved = DecodeFrame(dir / "moved.mp4", 0);
    EXPECT_LE(Distance(moved.Mean(8, 80, 4), kBlack), kTolerance);
    EXPECT_LE(Distance(moved.Mean(60, 8, 4), kGrey), kTolerance);
    EXPECT_LE(Distance(moved.Mean(60, 150, 4), kGrey), kTolerance);
}

TEST_F(HzfixTurnedClip, KeepRotationWorksOnTheStoredPicturesAndCarriesTheTagOver) {
    Outcome r = Do({"render", in, dir / "out.mp4", "-q", "--keep-rotation"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("160x96"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("as stored, the display rotation carried over for players"),
              std::string::npos)
        << r.out;
    const Picture p = DecodeFrame(dir / "out.mp4", 0);
    ASSERT_EQ(p.width, 160);
    EXPECT_LE(Distance(p.Mean(12, 10, 4), kRed), kTolerance);
    EXPECT_EQ(ReadDescription(dir / "out.mp4").rotation, ReadDescription(in).rotation);

    r = Do({"render", in, dir / "out.mkv", "-q", "--keep-rotation"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("not kept: video stream 0: its display rotation"), std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("the display rotation not carried over"), std::string::npos) << r.out;

    r = Do({"preview", in, dir / "stored.png", "--keep-rotation"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(DecodeFrame(dir / "stored.png", 0).width, 160);
}

}  // namespace
}  // namespace hzfixtest

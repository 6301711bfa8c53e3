// Settings for one run: given on render, thumbnail and preview, from a
// settings file or the defaults, over the saved settings and never into them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

constexpr Rgb kSource{200, 60, 40};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kGreen{0, 255, 0};
constexpr int kTolerance = 24;

class HzfixRunSettings : public ::testing::Test, protected HzfixSandbox {
  protected:
    std::string Clip() const {
        ClipSpec recipe;
        recipe.paint = [](int, int, int) { return kSource; };
        MakeClip(dir / "in.mp4", recipe);
        return dir / "in.mp4";
    }
    std::string Prefs() const { return ReadFile(dir / "config/hzfix-Prefs"); }
    static bool Says(const Outcome& r, const std::string& text) {
        return r.out.find(text) != std::string::npos;
    }
};

TEST_F(HzfixRunSettings, OptionsOfARunLayerOverTheSavedSettingsAndLeaveThemAlone) {
    ASSERT_EQ(Do({"settings", "set", "--framing", "0.25,0.75,0.25,0.75", "--background", "#0000FF"})
                  .status,
              0);
    const std::string saved = Prefs();
    const std::string in = Clip();

    Outcome r = Do({"render", in, dir / "green.mkv", "--background", "#00FF00", "--fade-in", "0",
                    "--fade-out", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Says(r, "framing 0.25,0.75,0.25,0.75")) << r.out;
    EXPECT_TRUE(Says(r, "background #00FF00,")) << r.out;
    EXPECT_TRUE(Says(r, "(the saved settings and this run's options)")) << r.out;
    Picture p = DecodeFrame(dir / "green.mkv", 20);
    EXPECT_LE(Distance(p.Mean(10, 10, 2), kGreen), kTolerance);
    EXPECT_LE(Distance(p.Mean(80, 60, 2), kSource), kTolerance);
    EXPECT_EQ(Prefs(), saved);

    // --defaults: the whole frame, whatever is saved.
    r = Do({"thumbnail", in, dir / "whole.png", "--defaults", "--at", "0.4"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_LE(Distance(DecodeFrame(dir / "whole.png", 0).Mean(10, 10, 2), kSource), kTolerance);
    // Nothing of the run's own: the saved settings as the plug-in reads them.
    r = Do({"thumbnail", in, dir / "saved.png", "--at", "0.4"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_LE(Distance(DecodeFrame(dir / "saved.png", 0).Mean(10, 10, 2), kBlue), kTolerance);
    EXPECT_EQ(Prefs(), saved);
}

TEST_F(HzfixRunSettings, ASettingsFileWrittenByShowIsReadBackAndBadLinesAreNamed) {
    ASSERT_EQ(Do({"settings", "set", "--turn", "2.8deg", "--scale", "5", "--background", "#102030"})
                  .status,
              0);
    Outcome shown = Do({"settings", "show", "--as", "file"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("turn = 7\n"), std::string::npos) << shown.out;  // 7 steps of 0.4
    WriteFile(dir / "level.txt", shown.out);
    ASSERT_EQ(Do({"settings", "reset"}).status, 0);

    const std::string in = Clip();
    Outcome r = Do({"preview", in, dir / "p.png", "--settings", dir / "level.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Says(r, "turn 7, move-x 0, scale 5")) << r.out;
    EXPECT_TRUE(Says(r, "level.txt")) << r.out;

    WriteFile(dir / "bad.txt", "# a comment\nturn = 3\nzoom = 4\n");
    r = Do({"render", in, dir / "out.mp4", "--settings", dir / "bad.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("bad.txt:3: no setting is called 'zoom'"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(dir / "out.mp4"));
}

TEST_F(HzfixRunSettings, ADamagedPreferencesFileIsReportedAndTheDefaultsUsed) {
    const std::string in = Clip();
    std::filesystem::create_directories(dir / "config");
    WriteFile(dir / "config/hzfix-Prefs", std::string(600, 'x'));
    Outcome r = Do({"thumbnail", in, dir / "t.png", "--turn", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("warning"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("defaults are used"), std::string::npos) << r.err;
}

// A run's settings go to the plug-in's clip, not through files: a run with
// settings of its own leaves nothing in the temporary folder, even when it
// is killed outright, and never makes the preferences file.
TEST_F(HzfixRunSettings, ARunWithSettingsOfItsOwnLeavesNoFileBehind) {
    const std::string temp = dir / "tmp";
    std::filesystem::create_directories(temp);
    std::vector<std::string> env = Env();
    env.push_back("TMPDIR=" + temp);
    Outcome r =
        Hzfix({"--plugin", BundleDir(), "thumbnail", Clip(), dir / "t.png", "--turn", "1"}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    Child killed = StartHzfix(
        {"--plugin", BundleDir(), "render", Clip(), dir / "k.mp4", "--turn", "1", "-q"}, env);
    kill(killed.pid, SIGKILL);
    Finish(killed);
    EXPECT_TRUE(std::filesystem::is_empty(temp));
    EXPECT_FALSE(Exists(dir / "config/hzfix-Prefs"));
}

// The preview stripes exactly the corners a turn uncovers; enlarging hides them.
TEST_F(HzfixRunSettings, PreviewMarksTheUncoveredCornersUntilEnlargingHidesThem) {
    const std::string in = Clip();
    Outcome turned = Do({"preview", in, dir / "turned.png", "--turn", "5deg", "--side-by-side"});
    ASSERT_EQ(turned.status, 0) << turned.err;
    EXPECT_TRUE(Says(turned, "pixels uncovered (striped)")) << turned.out;
    Picture sheet = DecodeFrame(dir / "turned.png", 0);
    EXPECT_EQ(sheet.width, 2 * 160 + 8);
    EXPECT_EQ(sheet.height, 120);
    // The left half is the source; the result's top-left corner is striped.
    EXPECT_LE(Distance(sheet.Mean(10, 10, 1), kSource), kTolerance);
    EXPECT_LE(Distance(sheet.At(168, 0), Rgb{255, 0, 255}), kTolerance);

    Outcome hidden = Do({"preview", in, dir / "hidden.png", "--turn", "5deg", "--scale", "8"});
    ASSERT_EQ(hidden.status, 0) << hidden.err;
    EXPECT_TRUE(Says(hidden, "no corner uncovered")) << hidden.out;
}

TEST_F(HzfixRunSettings, TheSummarySaysWhatDegreesBecame) {
    const std::string in = Clip();
    Outcome r = Do({"preview", in, dir / "p.png", "--turn", "3deg"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Says(r, "turn 8 (3deg \u2192 8 steps, 3.2\u00B0), move-x 0")) << r.out;
    WriteFile(dir / "level.txt", "turn = -2.9deg\n");
    r = Do({"preview", in, dir / "q.png", "--settings", dir / "level.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Says(r, "turn -7 (-2.9deg \u2192 -7 steps, -2.8\u00B0)")) << r.out;
    // Steps are taken as they are: nothing to say.
    r = Do({"preview", in, dir / "s.png", "--turn", "8"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Says(r, "turn 8, move-x 0")) << r.out;
}

// What cannot be meant is refused before anything is written, with what
// would be taken; a fade may be as long as the frames rendered.
TEST_F(HzfixRunSettings, ValuesThatMakeNoSenseAreRefusedWithTheirRange) {
    const std::string in = Clip();  // 40 frames at 25 fps
    WriteFile(dir / "big.txt", "# from elsewhere\nscale = 101\n");
    WriteFile(dir / "flipped.txt", "framing = 1,0,1,0\n");
    const struct {
        std::vector<std::string> extra;
        std::string says;
    } refused[] = {
        {{"--fade-in", "41"}, "--fade-in 41 is longer than the 40 frames rendered (0 to 40)"},
        {{"--start", "1", "--fade-out", "16"},
         "--fade-out 16 is longer than the 15 frames rendered (0 to 15)"},
        {{"--scale", "-1000"}, "--scale: -1000 is out of range (-25 to 100)"},
        {{"--framing", "-1,2,0,1"}, "--framing: -1 is outside the frame"},
        {{"--settings", dir / "big.txt"}, "big.txt:2: scale: 101 is out of range (-25 to 100)"},
        {{"--settings", dir / "flipped.txt"},
         "flipped.txt:1: framing: left 1 is not below right 0"},
    };
    for (const auto& c : refused) {
        std::vector<std::string> args = {"render", in, dir / "out.mp4", "-q"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        Outcome r = Do(args);
        EXPECT_EQ(r.status, 1) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_FALSE(Exists(dir / "out.mp4"));
    }
    Outcome whole =
        Do({"render", in, dir / "out.mp4", "-q", "--fade-in", "40", "--fade-out", "40"});
    EXPECT_EQ(whole.status, 0) << whole.err;
}

}  // namespace
}  // namespace hzfixtest

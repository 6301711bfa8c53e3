// hzfix level, and --turn auto and --scale auto, on clips made here from
// scenes of known tilt, run through the real program and plug-in.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "record/CornerCover.h"
#include "record/SettingsTable.h"
#include "tests/apps/hzfix/HzfixTestKit.h"
#include "tests/apps/level/TiltScenes.h"

namespace hzfixtest {
namespace {

using tiltscenes::SceneKind;

constexpr int kWidth = 640, kHeight = 360;

class HzfixLevel : public ::testing::Test, protected HzfixSandbox {
  protected:
    std::string Scene(const std::string& name, SceneKind kind, double tilt) const {
        ClipSpec recipe;
        recipe.width = kWidth;
        recipe.height = kHeight;
        recipe.frames = 25;
        recipe.audio = false;
        recipe.paint = PaintPicture(tiltscenes::DrawScene(kind, kWidth, kHeight, tilt), kWidth);
        MakeClip(dir / name, recipe);
        return dir / name;
    }
};

// A number or null from a flat JSON object, by key.
std::string JsonValue(const std::string& json, const std::string& key) {
    std::smatch m;
    if (!std::regex_search(json, m, std::regex("\"" + key + "\": ([^,}]+)"))) return "";
    return m[1];
}

TEST_F(HzfixLevel, JsonGivesTheTurnThatLevelsTheClip) {
    const std::string clip = Scene("city.mp4", SceneKind::cCity, 2.7);
    const Outcome r = Do({"level", clip, "--json", "--defaults"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(JsonValue(r.out, "reliable"), "true") << r.out;
    EXPECT_NEAR(std::stod(JsonValue(r.out, "tilt_degrees")), 2.7, 0.1) << r.out;
    const double turnDegrees = std::stod(JsonValue(r.out, "turn_degrees"));
    EXPECT_EQ(std::stoi(JsonValue(r.out, "turn")), std::lround(turnDegrees / 0.4)) << r.out;
    EXPECT_GE(std::stoi(JsonValue(r.out, "scale")), 1) << r.out;
    EXPECT_GE(std::stoi(JsonValue(r.out, "frames")), 1) << r.out;
    EXPECT_GE(std::stod(JsonValue(r.out, "confidence")),
              std::stod(JsonValue(r.out, "trusted_from")))
        << r.out;
}

TEST_F(HzfixLevel, SaysSoWhereThereIsNoHorizon) {
    const std::string clip = Scene("blobs.mp4", SceneKind::cBlobs, 0);
    const Outcome json = Do({"level", clip, "--json", "--defaults"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(JsonValue(json.out, "reliable"), "false") << json.out;
    EXPECT_EQ(JsonValue(json.out, "turn_degrees"), "null") << json.out;
    EXPECT_EQ(JsonValue(json.out, "turn"), "null") << json.out;
    EXPECT_NE(Do({"level", clip, "--defaults"}).out.find("no reliable horizon"), std::string::npos);

    // A render never guesses: it stops before writing anything.
    const Outcome render = Do({"render", clip, dir / "out.mp4", "--turn", "auto", "--defaults"});
    EXPECT_EQ(render.status, 3) << render.err;
    EXPECT_NE(render.err.find("no reliable horizon"), std::string::npos) << render.err;
    EXPECT_FALSE(Exists(dir / "out.mp4"));
}

TEST_F(HzfixLevel, AutoRenderComesOutLevelWithItsCornersHidden) {
    const std::string clip = Scene("sea.mp4", SceneKind::cSea, -3.15);
    const Outcome render = Do({"render", clip, dir / "level.mp4", "--turn", "auto", "--scale",
                               "auto", "--defaults", "-q"});
    ASSERT_EQ(render.status, 0) << render.err;
    EXPECT_TRUE(std::regex_search(render.out, std::regex("turn -8 \\(auto: -3\\.1[0-9]\u00B0")))
        << render.out;
    EXPECT_TRUE(std::regex_search(render.out, std::regex("scale [1-9] \\(auto: "))) << render.out;

    // What is left is the turn's rounding to a step, and no black corner.
    const Outcome again = Do({"level", dir / "level.mp4", "--json", "--defaults"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NEAR(std::stod(JsonValue(again.out, "tilt_degrees")), 0, 0.25) << again.out;
    const Picture corner = DecodeFrame(dir / "level.mp4", 12);
    for (const auto& [x, y] :
         {std::pair{1, 1}, {kWidth - 2, 1}, {1, kHeight - 2}, {kWidth - 2, kHeight - 2}})
        EXPECT_GT(Distance(corner.At(x, y), Rgb{0, 0, 0}), 40) << x << "," << y;

    const Outcome preview =
        Do({"preview", clip, dir / "try.png", "--turn", "auto", "--scale", "auto", "--defaults"});
    ASSERT_EQ(preview.status, 0) << preview.err;
    EXPECT_NE(preview.out.find("no corner uncovered"), std::string::npos) << preview.out;
}

TEST_F(HzfixLevel, ShowsItsLinesPlotsItsFramesAndSavesWhatItFound) {
    const std::string clip = Scene("city.mp4", SceneKind::cCity, -1.9);
    const Outcome r = Do({"level", clip, "--defaults", "--show", dir / "show.png", "--plot",
                          dir / "plot.png", "--save"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Picture shown = DecodeFrame(dir / "show.png", 0);
    ASSERT_EQ(shown.width, kWidth);
    ASSERT_EQ(shown.height, kHeight);
    int green = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) green += Distance(shown.At(x, y), Rgb{40, 230, 60}) < 30;
    EXPECT_GT(green, 500) << "the lines used are drawn";
    const Picture plot = DecodeFrame(dir / "plot.png", 0);
    EXPECT_EQ(plot.width, 960);

    const std::regex found("--turn -?[0-9.]+deg \\((-?[0-9]+) steps.*\n.*--scale ([0-9]+)");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, found)) << r.out;
    const Outcome saved = Do({"settings", "show", "--as", "file"});
    EXPECT_NE(saved.out.find("turn = " + m[1].str() + "\n"), std::string::npos) << saved.out;
    EXPECT_NE(saved.out.find("scale = " + m[2].str() + "\n"), std::string::npos) << saved.out;

    // Without a horizon nothing is saved over what was.
    const std::string blobs = Scene("blobs.mp4", SceneKind::cBlobs, 0);
    EXPECT_EQ(Do({"level", blobs, "--save"}).status, 3);
    EXPECT_EQ(Do({"settings", "show", "--as", "file"}).out, saved.out);
    // An existing picture is kept unless -y.
    EXPECT_NE(Do({"level", clip, "--show", dir / "show.png"}).status, 0);
}

TEST_F(HzfixLevel, RefusesWhatItCannotMean) {
    const std::string clip = Scene("city.mp4", SceneKind::cCity, 1);
    const std::vector<std::vector<std::string>> wrong = {
        {"level", clip, "--at", "0.2", "--from", "0.1"},
        {"level", clip, "--from", "0.8", "--to", "0.2"},
        {"level", clip, "--turn", "auto"},
        {"level", clip, "--at", "9"},
        {"settings", "set", "--turn", "auto"},
    };
    for (const auto& args : wrong) EXPECT_EQ(Do(args).status, 1) << args[2];
}

// The enlargement worked out from the geometry against the renderer itself:
// with it no pixel of what the picture covered unturned shows the
// background, with one step less some do.
TEST_F(HzfixLevel, CornerHidingScaleIsTheLeastTheRendererNeeds) {
    struct Case {
        int turn;
        RelRect framing;
        int moveX, moveY;
        bool uniform = false;
    };
    const RelRect whole = {0, 1, 0, 1};
    const Case cases[] = {
        {8, whole, 0, 0},
        {-13, whole, 0, 0},
        {25, whole, 0, 0},
        {1, whole, 0, 0},
        {0, whole, 5, 0},
        {20, whole, 6, -4},
        {-15, whole, 5, 3},
        {-5, {0.1, 0.8, 0.2, 0.9}, 0, 0},
        {12, {0.25, 0.75, 0.25, 0.75}, 0, 4},
        {20, {0, 0.5, 0, 1}, -2, 0},
        {8, whole, 0, 0, true},
        {-12, {0.1, 0.8, 0.2, 0.9}, 2, 0, true},
    };
    constexpr Rgb kWhite{250, 250, 250}, kBackground{0, 0, 255};
    ClipSpec recipe;
    recipe.width = kWidth;
    recipe.height = kHeight;
    recipe.frames = 2;
    recipe.audio = false;
    recipe.paint = [&](int, int, int) { return kWhite; };
    const std::string clip = dir / "white.mp4";
    MakeClip(clip, recipe);

    for (const Case& c : cases) {
        PluginDataRec settings = cDefaultSettings;
        settings.startRel = c.framing;
        settings.sliders[cTurnSlider - 1] = static_cast<int16_t>(c.turn);
        settings.sliders[cMoveXSlider - 1] = static_cast<int16_t>(c.moveX);
        settings.sliders[cMoveYSlider - 1] = static_cast<int16_t>(c.moveY);
        settings.sliders[cUniformScaleSlot - 1] = c.uniform ? 1 : 0;
        const std::string uniform = c.uniform ? "on" : "off";
        const std::optional<int16_t> scale = CornerHidingScale(settings, kWidth, kHeight);
        ASSERT_TRUE(scale) << "turn " << c.turn;
        const std::string framing =
            std::to_string(c.framing.left) + "," + std::to_string(c.framing.right) + "," +
            std::to_string(c.framing.top) + "," + std::to_string(c.framing.bottom);
        const bool wholeFrame = c.framing.left == 0 && c.framing.right == 1 && c.framing.top == 0 &&
                                c.framing.bottom == 1;
        // The framing rectangle's pixels, as the renderer cuts it.
        const int left = static_cast<int>(kWidth * c.framing.left),
                  right = static_cast<int>(kWidth * c.framing.right),
                  top = static_cast<int>(kHeight * c.framing.top),
                  bottom = static_cast<int>(kHeight * c.framing.bottom);
        for (const int s : {int{*scale}, *scale - 1}) {
            SCOPED_TRACE(uniform + " turn " + std::to_string(c.turn) + " framing " + framing +
                         " move " + std::to_string(c.moveX) + "," + std::to_string(c.moveY) +
                         " scale " + std::to_string(s));
            const Outcome r = Do({"preview",         clip,
                                  dir / "p.png",     "-y",
                                  "--defaults",      "--no-marks",
                                  "--background",    "#0000FF",
                                  "--turn",          std::to_string(c.turn),
                                  "--scale",         std::to_string(s),
                                  "--move-x",        std::to_string(c.moveX),
                                  "--move-y",        std::to_string(c.moveY),
                                  "--framing",       framing,
                                  "--uniform-scale", uniform});
            ASSERT_EQ(r.status, 0) << r.err;
            const Picture p = DecodeFrame(dir / "p.png", 0);
            int uncovered = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = left; x < right; ++x)
                    uncovered += Distance(p.At(x, y), kBackground) <= 2;
            EXPECT_EQ(uncovered == 0, s == *scale) << uncovered << " pixels show the background";
            if (wholeFrame) {
                const Outcome marked =
                    Do({"preview", clip, dir / "m.png", "-y", "--defaults", "--turn",
                        std::to_string(c.turn), "--scale", std::to_string(s), "--move-x",
                        std::to_string(c.moveX), "--move-y", std::to_string(c.moveY),
                        "--uniform-scale", uniform});
                EXPECT_EQ(marked.out.find("no corner uncovered") != std::string::npos, s == *scale)
                    << marked.out;
            }
        }
    }
}

}  // namespace
}  // namespace hzfixtest

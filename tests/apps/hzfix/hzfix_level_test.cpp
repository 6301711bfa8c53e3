// hzfix level, and --turn auto and --scale auto, on clips made here from
// scenes of known tilt, run through the real program and plug-in.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "tests/apps/hzfix/HzfixTestKit.h"
#include "tests/apps/level/TiltScenes.h"

namespace hzfixtest {
namespace {

using tiltscenes::SceneKind;

constexpr int kWidth = 640, kHeight = 360;

class HzfixLevel : public ::testing::Test, protected HzfixSandbox {
  protected:
    std::string Scene(const std::string& name, SceneKind kind, double tilt) const {
        const std::vector<uint8_t> argb = tiltscenes::DrawScene(kind, kWidth, kHeight, tilt);
        ClipSpec recipe;
        recipe.width = kWidth;
        recipe.height = kHeight;
        recipe.frames = 25;
        recipe.audio = false;
        recipe.paint = [argb](int, int x, int y) {
            const uint8_t* p = argb.data() + (static_cast<size_t>(y) * kWidth + x) * 4;
            return Rgb{p[1], p[2], p[3]};
        };
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
    EXPECT_GT(std::stod(JsonValue(r.out, "confidence")), 0.35) << r.out;
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

}  // namespace
}  // namespace hzfixtest

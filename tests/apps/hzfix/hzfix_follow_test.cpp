// hzfix render --turn follow and hzfix level --keyframes melt on clips whose
// horizon follows a known curve, each frame drawn at its own tilt: the turn
// each frame gets against the tilt it has, and each frame of the output
// measured again.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <sstream>

#include "apps/level/TiltSampler.h"
#include "apps/media/InputFile.h"
#include "apps/media/ShownPictures.h"
#include "tests/apps/hzfix/HzfixTestKit.h"
#include "tests/apps/level/TiltScenes.h"

namespace hzfixtest {
namespace {

constexpr int kWidth = 640, kHeight = 360, kFps = 25, kFrames = 125;
constexpr double kStepDegrees = 0.4;
// What the turns may miss the tilts by, and the jitter they may add to the
// tilt's own change from one frame to the next.
constexpr double kMostRms = 0.3, kMostWobble = 0.05;

using TiltCurve = std::function<double(int frame)>;

// A slow sway, ±4° over the clip; and a sudden step of 3° halfway.
const TiltCurve kSway = [](int f) { return 4 * std::sin(2 * std::numbers::pi * f / kFrames); };
const TiltCurve kStep = [](int f) { return f < kFrames / 2 ? -1.4 : 1.6; };

double Rms(const std::vector<double>& v) {
    double sum = 0;
    for (const double x : v) sum += x * x;
    return std::sqrt(sum / static_cast<double>(v.size()));
}

class HzfixFollow : public ::testing::Test, protected HzfixSandbox {
  protected:
    std::string TiltedClip(const std::string& name, const TiltCurve& tilt) const {
        struct Drawn {
            int frame = -1;
            std::vector<uint8_t> argb;
        };
        auto drawn = std::make_shared<Drawn>();
        ClipSpec recipe;
        recipe.width = kWidth;
        recipe.height = kHeight;
        recipe.fps = kFps;
        recipe.frames = kFrames;
        recipe.audio = false;
        recipe.paint = [drawn, tilt](int f, int x, int y) {
            if (drawn->frame != f) {
                drawn->argb =
                    tiltscenes::DrawScene(tiltscenes::SceneKind::cSea, kWidth, kHeight, tilt(f));
                drawn->frame = f;
            }
            const uint8_t* p = drawn->argb.data() + (static_cast<size_t>(y) * kWidth + x) * 4;
            return Rgb{p[1], p[2], p[3]};
        };
        MakeClip(dir / name, recipe);
        return dir / name;
    }

    // The turn of each frame in degrees, from the keyframes hzfix level
    // prints for it: straight lines between them, as melt draws them.
    std::vector<double> KeyframedTurns(const std::string& clip) const {
        const Outcome r =
            Do({"level", clip, "--keyframes", "melt", "--defaults", "--uniform-scale", "on"});
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::pair<int, double>> keys;
        std::stringstream text(r.out);
        std::string key;
        while (std::getline(text, key, ';')) {
            const size_t equals = key.find('=');
            const double unit = std::stod(key.substr(equals + 1));
            keys.push_back({std::stoi(key.substr(0, equals)), (unit * 450 - 225) * kStepDegrees});
        }
        EXPECT_GE(keys.size(), 2u) << r.out;
        EXPECT_EQ(keys.front().first, 0) << r.out;
        EXPECT_EQ(keys.back().first, kFrames - 1) << r.out;
        std::vector<double> turns;
        for (size_t k = 0; k + 1 < keys.size(); ++k) {
            const auto [a, ta] = keys[k];
            const auto [b, tb] = keys[k + 1];
            for (int f = a; f < b; ++f) turns.push_back(ta + (tb - ta) * (f - a) / (b - a));
        }
        turns.push_back(keys.back().second);
        return turns;
    }

    // Each frame's tilt, measured.
    static std::vector<double> MeasuredTilts(const std::string& clip) {
        media::InputFile in(clip);
        const media::PictureShape shape = media::ShapeOf(in, false);
        std::vector<double> tilts;
        for (const level::FrameSampleRec& f :
             level::MeasureFrames(in, shape, 0, in.frameCount() - 1)) {
            EXPECT_TRUE(f.reliable) << clip << " frame " << f.frame;
            tilts.push_back(f.tiltDegrees);
        }
        return tilts;
    }
};

// Turned by an even enlargement, a drawn line leans as it did, so each
// frame's turn is its tilt.
TEST_F(HzfixFollow, EachFrameIsTurnedByItsOwnTiltSmoothlyAndASuddenStepStaysOneStep) {
    for (const auto& [name, tilt] : {std::pair{"sway", kSway}, std::pair{"step", kStep}}) {
        SCOPED_TRACE(name);
        const std::string clip = TiltedClip(std::string(name) + ".mp4", tilt);
        const std::vector<double> turns = KeyframedTurns(clip);
        ASSERT_EQ(turns.size(), static_cast<size_t>(kFrames));
        std::vector<double> missed;
        double worstWobble = -1;
        int worstFrame = 0;
        for (int f = 0; f < kFrames; ++f) {
            missed.push_back(turns[f] - tilt(f));
            if (f == 0) continue;
            const double wobble =
                std::abs(turns[f] - turns[f - 1]) - std::abs(tilt(f) - tilt(f - 1));
            if (wobble > worstWobble) worstWobble = wobble, worstFrame = f;
        }
        EXPECT_LE(Rms(missed), kMostRms);
        EXPECT_LE(worstWobble, kMostWobble) << "frame " << worstFrame;
        std::printf("%s: turns miss the tilts by %.3f° RMS, wobble at most %.3f° (frame %d)\n",
                    name, Rms(missed), worstWobble, worstFrame);

        const std::string out = dir / (std::string(name) + "-level.mp4");
        const Outcome render = Do({"render", clip, out, "--turn", "follow", "--scale", "auto",
                                   "--uniform-scale", "on", "--defaults", "-q"});
        ASSERT_EQ(render.status, 0) << render.err;
        EXPECT_NE(render.out.find("turn follow (follow: "), std::string::npos) << render.out;
        EXPECT_EQ(render.out.find("turn-fine"), std::string::npos) << render.out;
        EXPECT_NE(render.out.find("125 frames, the horizon found on 125 of 125 frames"),
                  std::string::npos)
            << render.out;
        // What is left on each frame of the output is what its turn missed.
        const std::vector<double> left = MeasuredTilts(out);
        ASSERT_EQ(left.size(), static_cast<size_t>(kFrames));
        EXPECT_LE(Rms(left), kMostRms);
        std::printf("%s: the output's frames lean %.3f° RMS\n", name, Rms(left));
    }
}

TEST_F(HzfixFollow, MeltTurnsEachFrameByItsKeyframe) {
    const std::string clip = TiltedClip("sway.mp4", kSway);
    const Outcome keys = Do({"level", clip, "--keyframes", "melt", "--defaults"});
    ASSERT_EQ(keys.status, 0) << keys.err;
    // The enlargement the turns were worked out for, as melt takes it.
    const size_t scale = keys.err.find("scale=");
    ASSERT_NE(scale, std::string::npos) << keys.err;
    const std::string out = dir / "melt.mp4";
    const std::string bundle = BundleDir();
    const Outcome melt =
        Finish(StartProgram("/usr/bin/melt",
                            {"-quiet", clip, "-filter", "frei0r.horizonfix",
                             "turn=" + keys.out.substr(0, keys.out.find('\n')),
                             keys.err.substr(scale, keys.err.find(')', scale) - scale), "-consumer",
                             "avformat:" + out, "vcodec=libx264", "real_time=0"},
                            {"FREI0R_PATH=" + bundle.substr(0, bundle.rfind('/'))}));
    ASSERT_EQ(melt.status, 0) << melt.err;
    // melt draws the keyframes' turns between whole steps as hzfix does.
    const std::vector<double> left = MeasuredTilts(out);
    ASSERT_EQ(left.size(), static_cast<size_t>(kFrames));
    EXPECT_LE(Rms(left), kMostRms);
    std::printf("melt: the output's frames lean %.3f° RMS\n", Rms(left));
}

TEST_F(HzfixFollow, AClipWithoutAHorizonIsNotFollowed) {
    ClipSpec recipe;
    recipe.width = kWidth;
    recipe.height = kHeight;
    recipe.frames = 10;
    recipe.audio = false;
    recipe.paint = PaintPicture(
        tiltscenes::DrawScene(tiltscenes::SceneKind::cBlobs, kWidth, kHeight, 0), kWidth);
    MakeClip(dir / "blobs.mp4", recipe);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"render", dir / "blobs.mp4", dir / "out.mp4", "--turn", "follow",
                                   "--defaults"},
          {"level", dir / "blobs.mp4", "--keyframes", "melt", "--defaults"}}) {
        const Outcome r = Do(args);
        EXPECT_EQ(r.status, 3) << r.err;
        EXPECT_NE(r.err.find("no reliable horizon to follow (reliable on 0 of 10 frames)"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_FALSE(Exists(dir / "out.mp4"));
}

}  // namespace
}  // namespace hzfixtest
